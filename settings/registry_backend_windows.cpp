// The store in the registry, reached directly rather than through QSettings:
// its registry format escapes a text that begins with "@" on the way in and
// decodes "@String(...)" and "@ByteArray(...)" on the way out, so an owner
// name or seed that begins with "@" would not be what other programs
// reading the same key see. Texts are REG_SZ, integers REG_DWORD, and a
// value of any other type reads as absent.

#include "settings/store_backend.h"

#include "platform/windows_api.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

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

// "setting102/name": the section's key below the program's, and the value.
struct ValuePath {
    QString section;
    QString name;
};

ValuePath splitKey(const QString& key)
{
    const qsizetype slash = key.indexOf(u'/');
    if (slash < 0)
        return {QString(), key};
    return {key.left(slash), key.mid(slash + 1)};
}

class RegistryBackend : public StoreBackend {
public:
    RegistryBackend(const QString& organization, const QString& application)
        : programKey_(QStringLiteral("Software\\") + organization + u'\\' + application)
    {
        Key key;
        const LSTATUS opened = RegOpenKeyExW(HKEY_CURRENT_USER, programKey_.toStdWString().c_str(),
                                             0, KEY_READ, key.out());
        if (opened == ERROR_SUCCESS)
            access_ = StoreAccess::Ours;
        else if (opened == ERROR_FILE_NOT_FOUND)
            access_ = StoreAccess::Absent;
        else
            access_ = StoreAccess::Unreadable;
    }

    StoreAccess access() const override { return access_; }
    QString location() const override
    {
        return QStringLiteral("HKEY_CURRENT_USER\\") + programKey_;
    }
    QString problem() const override
    {
        return access_ == StoreAccess::Unreadable
                   ? QStringLiteral("cannot read the registry key ") + location()
                   : QString();
    }

    // Each read asks the registry, so that a value is never older than the
    // last change made to it by any program.
    QVariant value(const QString& key) const override
    {
        if (access_ == StoreAccess::Unreadable)
            return {};
        const ValuePath path = splitKey(key);
        Key section;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, sectionKey(path.section).c_str(), 0, KEY_QUERY_VALUE,
                          section.out()) != ERROR_SUCCESS)
            return {};
        const std::wstring name = path.name.toStdWString();
        DWORD type = 0;
        DWORD size = 0;
        if (RegQueryValueExW(section.get(), name.c_str(), nullptr, &type, nullptr, &size) !=
            ERROR_SUCCESS)
            return {};
        // A NUL more than the data, which a text set by another program may
        // lack; the text ends at its first NUL.
        std::vector<wchar_t> data(size / sizeof(wchar_t) + 2, L'\0');
        if (RegQueryValueExW(section.get(), name.c_str(), nullptr, &type,
                             reinterpret_cast<BYTE*>(data.data()), &size) != ERROR_SUCCESS)
            return {};
        if (type == REG_DWORD && size == sizeof(DWORD)) {
            std::int32_t number = 0;
            std::memcpy(&number, data.data(), sizeof number);
            return QVariant(static_cast<int>(number));
        }
        if (type == REG_SZ)
            return QString::fromWCharArray(data.data());
        return {};
    }

    void refresh() override {}
    bool keep() override { return true; }
    std::optional<StoreFolder> folder(QString&) const override { return std::nullopt; }
    bool typed() const override { return true; }

    bool write(const StoredValues& values, bool) override
    {
        if (access_ == StoreAccess::Unreadable)
            return false;
        bool stored = true;
        for (const auto& [key, value] : values) {
            const ValuePath path = splitKey(key);
            Key section;
            if (RegCreateKeyExW(HKEY_CURRENT_USER, sectionKey(path.section).c_str(), 0, nullptr,
                                REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, section.out(),
                                nullptr) != ERROR_SUCCESS)
                return false;
            const std::wstring name = path.name.toStdWString();
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
        if (stored)
            access_ = StoreAccess::Ours;
        return stored;
    }

private:
    std::wstring sectionKey(const QString& section) const
    {
        return (programKey_ + u'\\' + section).toStdWString();
    }

    QString programKey_;
    StoreAccess access_ = StoreAccess::Absent;
};

} // namespace

std::unique_ptr<StoreBackend> openStoreBackend(const QString& organization,
                                               const QString& application)
{
    return std::make_unique<RegistryBackend>(organization, application);
}
