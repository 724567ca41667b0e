#include "ui/owner_key_store.h"

#include <QDateTime>
#include <QFile>

#include "settings/setting_table.h"
#include "settings/store_backup.h"
#include "settings/user_settings_store.h"
#include "ui/guarded_store.h"

namespace {

std::u16string keyIn(const SettingsStore& store)
{
    return store.readText(settingName(Setting::OwnerKey)).value_or(u"");
}

// Compares the store's key with the known one, and writes the new key where
// they agree; a failed flush is reported with failure.
OwnerKeyChange replaceIn(SettingsStore& store, std::u16string_view known, std::u16string_view key,
                         const QString& failure)
{
    std::u16string stored = keyIn(store);
    if (stored != known)
        return {OwnerKeyChange::Status::ChangedMeanwhile, std::move(stored), {}};
    store.writeText(settingName(Setting::OwnerKey), key);
    if (!store.flush())
        return {OwnerKeyChange::Status::Failed, {}, failure};
    return {OwnerKeyChange::Status::Written, std::u16string(key), {}};
}

} // namespace

OwnerKeyChange PlainOwnerKeyStore::replaceKey(std::u16string_view known, std::u16string_view key)
{
    return replaceIn(store_, known, key, tr("設定を保存できませんでした。"));
}

WindowOwnerKeyStore::WindowOwnerKeyStore(const GuardedStore& window, StoreIdentity identity)
    : window_(window), identity_(std::move(identity))
{
}

OwnerKeyChange WindowOwnerKeyStore::replaceKey(std::u16string_view known, std::u16string_view key)
{
    if (!window_.saving())
        return {OwnerKeyChange::Status::Failed,
                {},
                tr("この画面は設定を保存していません（起動時のお知らせのとおり）。")};
    // Read afresh: the store as it is now, not as the window found it.
    UserSettingsStore store(identity_);
    if (!mayBeUsed(store.access()))
        return {OwnerKeyChange::Status::Failed, {}, store.problem()};
    // Checked before the backup too, so that a refused change leaves none.
    if (std::u16string stored = keyIn(store); stored != known)
        return {OwnerKeyChange::Status::ChangedMeanwhile, std::move(stored), {}};
    const Result<StoreBackup> backup = backupStore(store, QDateTime::currentDateTime());
    if (!backup)
        return {OwnerKeyChange::Status::Failed, {}, QString::fromStdString(backup.error().message)};
    OwnerKeyChange change =
        replaceIn(store, known, key, tr("設定を保存できませんでした: %1").arg(store.location()));
    if (change.status != OwnerKeyChange::Status::Written) {
        if (backup->made)
            QFile::remove(backup->path);
        return change;
    }
    removeOldBackups(store);
    change.detail = backup->path;
    return change;
}
