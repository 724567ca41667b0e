#include "settings/qt_settings_store.h"

#include <algorithm>

#include "settings/load_save.h"
#include "settings/stored_value.h"

namespace {

QString toQString(std::u16string_view text)
{
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

QString valueKey(std::u16string_view name)
{
    return toQString(SettingsSection) + u'/' + toQString(name);
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

std::u16string QtSettingsStore::readText(std::u16string_view name,
                                         std::u16string_view fallback) const
{
    const std::optional<QString> text = storedText(read(name));
    return text ? text->toStdU16String() : std::u16string(fallback);
}

std::int32_t QtSettingsStore::readInt(std::u16string_view name, std::int32_t fallback) const
{
    return storedInt(read(name)).value_or(fallback);
}

void QtSettingsStore::writeText(std::u16string_view name, std::u16string_view value)
{
    written_[valueKey(name)] = toQString(value);
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
        return holdsExactly(backend_->value(entry.first), entry.second);
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
    return std::make_unique<QtSettingsStore>(QString::fromLatin1(SettingsOrganization),
                                             QString::fromLatin1(WindowApplicationName));
}
