#include "settings/user_settings_store.h"

#include <algorithm>

#include "settings/setting_table.h"
#include "settings/variant_value.h"
#include "text/qt_text.h"

namespace {

// The backend keys values by their name alone: the section is the
// identity's.
QString valueKey(std::u16string_view name)
{
    return toQ(name);
}

} // namespace

UserSettingsStore::UserSettingsStore(StoreIdentity identity)
    : identity_(std::move(identity)), backend_(openStoreBackend(identity_))
{
}

UserSettingsStore::~UserSettingsStore() = default;

QVariant UserSettingsStore::read(std::u16string_view name) const
{
    const QString key = valueKey(name);
    const auto found = written_.find(key);
    return found != written_.end() ? found->second : backend_->value(key);
}

std::optional<std::u16string> UserSettingsStore::readText(std::u16string_view name) const
{
    const std::optional<QString> text = textOf(read(name));
    return text ? std::optional(fromQ(*text)) : std::nullopt;
}

std::optional<std::int32_t> UserSettingsStore::readInt(std::u16string_view name) const
{
    const QVariant value = read(name);
    if (backend_->typed() && value.typeId() == QMetaType::QString)
        return std::nullopt;
    return intOf(value);
}

void UserSettingsStore::writeText(std::u16string_view name, std::u16string_view value)
{
    written_[valueKey(name)] = toQ(value);
    unflushed_ = true;
}

void UserSettingsStore::writeInt(std::u16string_view name, std::int32_t value)
{
    written_[valueKey(name)] = QVariant(static_cast<int>(value));
    unflushed_ = true;
}

bool UserSettingsStore::flush()
{
    if (!unflushed_)
        return true;
    // Most saves (every start-up, a set chosen again) change nothing: they
    // then cost a look at the store and no write.
    backend_->refresh();
    // What cannot be read is never saved over, unless the user chose to.
    const StoreAccess now = access();
    if (now == StoreAccess::Refused || (now == StoreAccess::Unreadable && !overwrite_))
        return false;
    const bool unchanged = std::all_of(written_.begin(), written_.end(), [this](const auto& entry) {
        const QVariant stored = backend_->value(entry.first);
        return holdsExactly(stored, entry.second) &&
               (!backend_->typed() || stored.typeId() == entry.second.typeId());
    });
    const bool stored = unchanged ? backend_->keep() : backend_->write(written_, overwrite_);
    if (stored)
        unflushed_ = false;
    return stored;
}

QString UserSettingsStore::unreadableText() const
{
    for (const StoredName& stored : storedNames()) {
        if (stored.row->type != SettingType::Text)
            continue;
        const QVariant value = backend_->value(valueKey(stored.name));
        if (!value.isValid() || value.typeId() == QMetaType::QString)
            continue;
        QString form = QString::fromLatin1(value.typeName());
        if (value.typeId() == qMetaTypeId<ForeignValue>())
            form = value.value<ForeignValue>().form;
        else if (value.typeId() == QMetaType::Int)
            form = backend_->typed() ? QStringLiteral("REG_DWORD") : QStringLiteral("a number");
        return QStringLiteral("its value '") + toQ(stored.name) + QStringLiteral("' is ") + form +
               QStringLiteral(", not a text");
    }
    return {};
}

QVariant UserSettingsStore::heldValue(std::u16string_view name) const
{
    return backend_->value(valueKey(name));
}

StoreAccess UserSettingsStore::access() const
{
    const StoreAccess access = backend_->access();
    if (access == StoreAccess::Ours && !unreadableText().isEmpty())
        return StoreAccess::Unreadable;
    return access;
}

QString UserSettingsStore::location() const
{
    return backend_->location();
}

QString UserSettingsStore::problem() const
{
    if (backend_->access() == StoreAccess::Ours) {
        const QString why = unreadableText();
        if (!why.isEmpty())
            return QStringLiteral("cannot read the settings store ") + location() +
                   QStringLiteral(": ") + why;
    }
    return backend_->problem();
}

Result<std::optional<StoreFolder>> UserSettingsStore::folder() const
{
    return backend_->folder();
}

std::unique_ptr<UserSettingsStore> openWindowStore(const QString& application)
{
    return std::make_unique<UserSettingsStore>(StoreIdentity::ofWindow(application));
}
