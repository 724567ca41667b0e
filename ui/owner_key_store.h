#pragma once

#include <QCoreApplication>
#include <QString>

#include <string>
#include <string_view>

#include "settings/store_identity.h"

class GuardedStore;
class SettingsStore;

// What became of a new owner key set from the window.
struct OwnerKeyChange {
    enum class Status {
        Written,          // the store holds the new key
        ChangedMeanwhile, // another program set a key since the window read it: kept
        Failed,           // nothing was changed; detail says why
    };
    Status status = Status::Failed;
    std::u16string storedKey; // the key the store holds afterwards (not for Failed)
    QString detail;           // the backup's path when written (may be empty), else the reason
};

// Where the window sets the owner key. The key is replaced only when the
// store still holds the one the window knows, so that a key another program
// set meanwhile is never undone; the other stored values stay as stored.
class OwnerKeyStore {
public:
    virtual ~OwnerKeyStore() = default;
    virtual OwnerKeyChange replaceKey(std::u16string_view known, std::u16string_view key) = 0;
};

// The key in the store the window reads and saves, with nothing kept
// beside it: for a store in memory.
class PlainOwnerKeyStore : public OwnerKeyStore {
    Q_DECLARE_TR_FUNCTIONS(PlainOwnerKeyStore)

public:
    explicit PlainOwnerKeyStore(SettingsStore& store) : store_(store) {}
    OwnerKeyChange replaceKey(std::u16string_view known, std::u16string_view key) override;

private:
    SettingsStore& store_;
};

// The user's own store as tovrik-settings set-owner-key changes it: read
// afresh, backed up before the write, the key written alone, old backups
// pruned. A store that the window does not save (see GuardedStore) is not
// changed either.
class WindowOwnerKeyStore : public OwnerKeyStore {
    Q_DECLARE_TR_FUNCTIONS(WindowOwnerKeyStore)

public:
    WindowOwnerKeyStore(const GuardedStore& window, StoreIdentity identity);
    OwnerKeyChange replaceKey(std::u16string_view known, std::u16string_view key) override;

private:
    const GuardedStore& window_;
    StoreIdentity identity_;
};
