// tovrik-settings against the window's own store, its lock and its backups.
#include <QDateTime>
#include <QFile>

#include "cli/tovrik-settings/run_settings.h"
#include "settings/store_backup.h"
#include "settings/store_lock.h"
#include "settings/system_entropy.h"
#include "settings/user_settings_store.h"

namespace {

// The store as the window would find it, or nothing with the reason: a store
// that is not the user's own, or that cannot be read, is neither read nor
// written.
std::unique_ptr<UserSettingsStore> checkedStore(const QString& app, std::string& error)
{
    std::unique_ptr<UserSettingsStore> store = openWindowStore(app);
    if (store->access() == StoreAccess::Ours || store->access() == StoreAccess::Absent)
        return store;
    error = store->problem().toStdString();
    return nullptr;
}

} // namespace

SettingsEnvironment systemSettingsEnvironment(SecretInput& input)
{
    SettingsEnvironment env;
    // Empty: the window's usual name.
    const auto app = std::make_shared<QString>();
    env.chooseApp = [app](const QString& name) { *app = name; };
    env.storeLocation = [app] { return openWindowStore(*app)->location(); };
    env.openStore = [app](std::string& error) -> std::unique_ptr<SettingsStore> {
        return checkedStore(*app, error);
    };
    env.lockForWriting = [app](std::string& why) -> std::shared_ptr<void> {
        const auto store = checkedStore(*app, why);
        if (!store)
            return nullptr;
        const Result<WindowLockPlace> place = windowLockPlace(*store);
        Result<std::shared_ptr<void>> lock =
            place ? lockForWriting(place.value()) : Result<std::shared_ptr<void>>(place.error());
        if (!lock)
            why = lock.error().message;
        return lock ? lock.value() : nullptr;
    };
    env.backupStore = [app](std::string& error) -> std::optional<StoreBackup> {
        const auto store = checkedStore(*app, error);
        if (!store)
            return std::nullopt;
        const Result<StoreBackup> backup = backupStore(*store, QDateTime::currentDateTime());
        if (!backup)
            error = backup.error().message;
        return backup ? std::optional(backup.value()) : std::nullopt;
    };
    env.removeBackup = [](const QString& path) { QFile::remove(path); };
    env.removeOldBackups = [app] {
        std::string error;
        if (const auto store = checkedStore(*app, error))
            removeOldBackups(*store);
    };
    env.storeExists = [app] { return openWindowStore(*app)->access() != StoreAccess::Absent; };
    env.seedEntropy = systemSeedEntropy;
    env.secretInput = &input;
    return env;
}
