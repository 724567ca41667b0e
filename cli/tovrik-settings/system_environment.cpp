// tovrik-settings against the window's own store, its lock and its backups.
#include <QDateTime>
#include <QFile>

#include "cli/tovrik-settings/run_settings.h"
#include "settings/store_backup.h"
#include "settings/store_lock.h"
#include "settings/system_entropy.h"
#include "settings/user_settings_store.h"

namespace {

class SystemStoreSession : public StoreSession {
public:
    explicit SystemStoreSession(const QString& app) : store_(openWindowStore(app)) {}

    QString location() const override { return store_->location(); }
    bool exists() const override { return store_->access() != StoreAccess::Absent; }

    Result<SettingsStore*> store() override
    {
        if (Result<void> usable = checked(); !usable)
            return usable.error();
        return store_.get();
    }

    Result<void> lockForWriting() override
    {
        if (Result<void> usable = checked(); !usable)
            return usable;
        const Result<WindowLockPlace> place = windowLockPlace(*store_);
        if (!place)
            return place.error();
        Result<std::shared_ptr<void>> lock = ::lockForWriting(place.value());
        if (!lock)
            return lock.error();
        lock_ = std::move(lock.value());
        // What another program wrote before the lock was had is what this
        // command changes, and a store that became unusable is refused.
        store_->reread();
        return checked();
    }

    Result<StoreBackup> backUp() override
    {
        if (Result<void> usable = checked(); !usable)
            return usable.error();
        return backupStore(*store_, QDateTime::currentDateTime());
    }

    void removeBackup(const QString& path) override { QFile::remove(path); }

    void removeOldBackups() override
    {
        if (checked())
            ::removeOldBackups(*store_);
    }

private:
    // A store that is not the user's own, or that cannot be read, is neither
    // read nor written.
    Result<void> checked() const
    {
        if (mayBeUsed(store_->access()))
            return {};
        return Error{store_->problem().toStdString()};
    }

    std::unique_ptr<UserSettingsStore> store_;
    std::shared_ptr<void> lock_; // held from lockForWriting to the command's end
};

} // namespace

SettingsEnvironment systemSettingsEnvironment(SecretInput& input)
{
    SettingsEnvironment env;
    env.openSession = [](const QString& app) -> std::unique_ptr<StoreSession> {
        return std::make_unique<SystemStoreSession>(app);
    };
    env.seedEntropy = systemSeedEntropy;
    env.secretInput = &input;
    return env;
}
