// The store in the registry, reached directly rather than through QSettings:
// its registry format escapes a text that begins with "@" on the way in and
// decodes "@String(...)" and "@ByteArray(...)" on the way out, so an owner
// name or seed that begins with "@" would not be what other programs
// reading the same key see. Texts are REG_SZ, integers REG_DWORD; a value of
// any other type is a ForeignValue with its type and bytes.
//
// The section's values are read at once, and read again when the key was
// written meanwhile, so that one load never mixes two saves.

#include "settings/store_backend.h"

#include "platform/windows_api.h"

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "settings/setting_table.h"
#include "text/qt_text.h"

namespace {

// Closes the key when it goes out of scope.
class Key {
public:
    Key() = default;
    ~Key()
    {
        if (key_)
            RegCloseKey(key_);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;

    HKEY* out() { return &key_; }
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

QString typeName(DWORD type)
{
    switch (type) {
    case REG_NONE: return QStringLiteral("REG_NONE");
    case REG_SZ: return QStringLiteral("REG_SZ");
    case REG_EXPAND_SZ: return QStringLiteral("REG_EXPAND_SZ");
    case REG_BINARY: return QStringLiteral("REG_BINARY");
    case REG_DWORD: return QStringLiteral("REG_DWORD");
    case REG_DWORD_BIG_ENDIAN: return QStringLiteral("REG_DWORD_BIG_ENDIAN");
    case REG_LINK: return QStringLiteral("REG_LINK");
    case REG_MULTI_SZ: return QStringLiteral("REG_MULTI_SZ");
    case REG_QWORD: return QStringLiteral("REG_QWORD");
    default: return QStringLiteral("a value of type %1").arg(type);
    }
}

// The value as the store takes it: a REG_SZ text up to its first NUL, a
// REG_DWORD number, anything else as what it is.
QVariant valueOf(DWORD type, const std::vector<BYTE>& data)
{
    if (type == REG_DWORD && data.size() == sizeof(DWORD)) {
        std::int32_t number = 0;
        std::memcpy(&number, data.data(), sizeof number);
        return QVariant(static_cast<int>(number));
    }
    if (type == REG_SZ) {
        // A text set by another program may lack its closing NUL.
        std::vector<wchar_t> text(data.size() / sizeof(wchar_t) + 1, L'\0');
        std::memcpy(text.data(), data.data(), data.size() / sizeof(wchar_t) * sizeof(wchar_t));
        return QString::fromWCharArray(text.data());
    }
    const QString form = type == REG_DWORD
                             ? QStringLiteral("REG_DWORD of %1 bytes").arg(data.size())
                             : typeName(type);
    return QVariant::fromValue(ForeignValue{form, static_cast<quint32>(type),
                                            QByteArray(reinterpret_cast<const char*>(data.data()),
                                                       static_cast<qsizetype>(data.size()))});
}

// The key's last write, which every change of a value moves on.
std::optional<FILETIME> lastWrite(HKEY key)
{
    FILETIME time{};
    if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr, nullptr, &time) != ERROR_SUCCESS)
        return std::nullopt;
    return time;
}

// One value's type and bytes; a value that another save lengthens between
// the size and the read is asked for again with its new size.
LSTATUS queryValue(HKEY key, const std::wstring& name, DWORD& type, std::vector<BYTE>& data)
{
    DWORD size = 0;
    LSTATUS status = RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size);
    while (status == ERROR_SUCCESS || status == ERROR_MORE_DATA) {
        data.resize(size);
        status = RegQueryValueExW(key, name.c_str(), nullptr, &type, data.data(), &size);
        if (status == ERROR_SUCCESS) {
            data.resize(size);
            return status;
        }
    }
    return status;
}

class RegistryBackend : public StoreBackend {
public:
    explicit RegistryBackend(const StoreIdentity& identity)
        : programKey_(identity.programKeyPath()),
          sectionKey_((programKey_ + u'\\' + toQ(identity.section)).toStdWString())
    {
        read();
    }

    StoreAccess access() const override { return access_; }
    QString location() const override
    {
        return QStringLiteral("HKEY_CURRENT_USER\\") + programKey_;
    }
    QString problem() const override
    {
        return access_ == StoreAccess::Unreadable
                   ? QStringLiteral("cannot read the registry key ") + location() +
                         (why_.isEmpty() ? QString() : QStringLiteral(": ") + why_)
                   : QString();
    }

    QVariant value(const QString& key) const override
    {
        const auto found = values_.find(key);
        return found != values_.end() ? found->second : QVariant();
    }

    void refresh() override { read(); }
    bool keep() override { return true; }
    Result<std::optional<StoreFolder>> folder() const override
    {
        return std::optional<StoreFolder>();
    }
    bool typed() const override { return true; }

    bool write(const StoredValues& values, bool replaceUnreadable) override
    {
        if (access_ == StoreAccess::Unreadable && !replaceUnreadable)
            return false;
        bool stored = true;
        for (const auto& [valueName, value] : values) {
            Key section;
            if (RegCreateKeyExW(HKEY_CURRENT_USER, sectionKey_.c_str(), 0, nullptr,
                                REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, section.out(),
                                nullptr) != ERROR_SUCCESS)
                return false;
            const std::wstring name = valueName.toStdWString();
            LSTATUS set = ERROR_INVALID_DATA;
            if (value.typeId() == QMetaType::QString) {
                const std::wstring text = value.toString().toStdWString();
                set = RegSetValueExW(section.get(), name.c_str(), 0, REG_SZ,
                                     reinterpret_cast<const BYTE*>(text.c_str()),
                                     static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
            } else {
                const DWORD number = static_cast<DWORD>(value.toInt());
                set = RegSetValueExW(section.get(), name.c_str(), 0, REG_DWORD,
                                     reinterpret_cast<const BYTE*>(&number), sizeof number);
            }
            stored = stored && set == ERROR_SUCCESS;
        }
        read();
        return stored;
    }

private:
    void read()
    {
        // Another program may save while the values are read: a key written
        // meanwhile is read again before it counts as unreadable.
        constexpr int Attempts = 6;
        for (int attempt = 1; !readOnce() && attempt < Attempts; ++attempt)
            Sleep(5u << (attempt - 1));
    }

    // One read of every value the window stores; false when the key was
    // written while it was read.
    bool readOnce()
    {
        values_.clear();
        why_.clear();
        Key program;
        const LSTATUS opened = RegOpenKeyExW(HKEY_CURRENT_USER, programKey_.toStdWString().c_str(),
                                             0, KEY_READ, program.out());
        access_ = opened == ERROR_SUCCESS          ? StoreAccess::Ours
                  : opened == ERROR_FILE_NOT_FOUND ? StoreAccess::Absent
                                                   : StoreAccess::Unreadable;
        if (access_ != StoreAccess::Ours)
            return true;
        Key section;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, sectionKey_.c_str(), 0, KEY_QUERY_VALUE,
                          section.out()) != ERROR_SUCCESS)
            return true;
        const std::optional<FILETIME> before = lastWrite(section.get());
        StoredValues values;
        for (const StoredName& stored : storedNames()) {
            DWORD type = REG_NONE;
            std::vector<BYTE> data;
            const LSTATUS status =
                queryValue(section.get(), toQ(stored.name).toStdWString(), type, data);
            if (status == ERROR_SUCCESS)
                values.emplace(toQ(stored.name), valueOf(type, data));
            else if (status != ERROR_FILE_NOT_FOUND)
                return fail(QStringLiteral("its value '") + toQ(stored.name) +
                            QStringLiteral("' cannot be read (error %1)").arg(status));
        }
        const std::optional<FILETIME> after = lastWrite(section.get());
        if (!before || !after || CompareFileTime(&*before, &*after) != 0)
            return fail(QStringLiteral("it kept changing while it was read"));
        values_ = std::move(values);
        return true;
    }

    bool fail(const QString& why)
    {
        access_ = StoreAccess::Unreadable;
        why_ = why;
        return false;
    }

    QString programKey_;
    std::wstring sectionKey_;
    StoreAccess access_ = StoreAccess::Absent;
    QString why_; // why the values could not be read
    StoredValues values_;
};

} // namespace

std::unique_ptr<StoreBackend> openStoreBackend(const StoreIdentity& identity)
{
    return std::make_unique<RegistryBackend>(identity);
}
