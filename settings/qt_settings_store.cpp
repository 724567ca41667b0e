#include "settings/qt_settings_store.h"

#include <algorithm>

#include "settings/program_names.h"
#include "settings/setting_table.h"
#include "settings/variant_value.h"
#include "text/qt_text.h"

namespace {

QString valueKey(std::u16string_view name)
{
    return toQ(SettingsSection) + u'/' + toQ(name);
}

} // namespace

QtSettingsStore::QtSettingsStore(const QString& organization, const QString& application)
    : backend_(openStoreBackend(organization, application))
{
}

QtSettingsStore::~QtSettingsStore() = default;

QVariant QtSettingsStore::read(std::u16string_view name) const
{
    const QString key = valueKey(name);
    const auto found = written_.find(key);
    return found != written_.end() ? found->second : backend_->value(key);
}

std::optional<std::u16string> QtSettingsStore::readText(std::u16string_view name) const
{
    const std::optional<QString> text = textOf(read(name));
    return text ? std::optional(fromQ(*text)) : std::nullopt;
}

std::optional<std::int32_t> QtSettingsStore::readInt(std::u16string_view name) const
{
    const QVariant value = read(name);
    if (backend_->typed() && value.typeId() == QMetaType::QString)
        return std::nullopt;
    return intOf(value);
}

void QtSettingsStore::writeText(std::u16string_view name, std::u16string_view value)
{
    written_[valueKey(name)] = toQ(value);
    unflushed_ = true;
}

void QtSettingsStore::writeInt(std::u16string_view name, std::int32_t value)
{
    written_[valueKey(name)] = QVariant(static_cast<int>(value));
    unflushed_ = true;
}

bool QtSettingsStore::flush()
{
    if (!unflushed_)
        return true;
    // Most saves (every start-up, a set chosen again) change nothing: they
    // then cost a look at the store and no write.
    backend_->refresh();
    const bool unchanged = std::all_of(written_.begin(), written_.end(), [this](const auto& entry) {
        const QVariant stored = backend_->value(entry.first);
        return holdsExactly(stored, entry.second) &&
               (!backend_->typed() || stored.typeId() == entry.second.typeId());
    });
    const bool stored = unchanged ? backend_->keep() : backend_->write(written_);
    if (stored)
        unflushed_ = false;
    return stored;
}

StoreAccess QtSettingsStore::access() const
{
    return backend_->access();
}

QString QtSettingsStore::location() const
{
    return backend_->location();
}

QString QtSettingsStore::problem() const
{
    return backend_->problem();
}

std::optional<StoreFolder> QtSettingsStore::folder(QString& problem) const
{
    return backend_->folder(problem);
}

std::unique_ptr<QtSettingsStore> openWindowStore()
{
    return std::make_unique<QtSettingsStore>(toQ(SettingsOrganization), toQ(StoreApplicationName));
}
