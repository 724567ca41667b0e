#pragma once

#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "base/result.h"
#include "cli/common/command_line.h"
#include "cli/common/secret_input.h"
#include "settings/load_save.h"
#include "settings/settings_store.h"
#include "settings/store_backup.h"

// One command's hold on the window's store: opened once, before the
// command runs, and used by each of its steps. The store is checked where a
// step uses it, so that a command refuses a store that is not the user's
// own, or cannot be read, at the same point whatever else is wrong. A
// write's steps come in this order: lockForWriting (which reads the store
// again under the lock), backUp, the write through store(), then
// removeOldBackups or, when it failed, removeBackup.
class StoreSession {
public:
    virtual ~StoreSession() = default;

    // Where the store lives, as `path` prints it.
    virtual QString location() const = 0;
    // Whether the store exists at all (a file, a key), even one that holds
    // nothing the window reads.
    virtual bool exists() const = 0;
    // The store, or an error (one line naming the path) when it is not the
    // user's own or cannot be read.
    virtual Result<SettingsStore*> store() = 0;
    // Takes the lock that a running window holds, for the rest of the
    // command, then reads the store again, so that a write that ended
    // meanwhile is neither lost nor undone. An error with the reason when
    // the lock cannot be had or the store is no longer usable.
    virtual Result<void> lockForWriting() = 0;
    // Keeps a copy of the store before a write (see backupStore).
    virtual Result<StoreBackup> backUp() = 0;
    // Removes a backup that a failed write made needless.
    virtual void removeBackup(const QString& path) = 0;
    // After a write that succeeded: removes the backups beyond the newest
    // KeptBackups.
    virtual void removeOldBackups() = 0;
};

// What tovrik-settings needs of the world; tests put in-memory stand-ins.
struct SettingsEnvironment {
    // Opens the store of the window whose executable is named app (--app;
    // empty: the window's usual one) for one command.
    std::function<std::unique_ptr<StoreSession>(const QString& app)> openSession;
    // Where the default seed numbers of an import come from.
    std::function<SeedEntropy()> seedEntropy;
    // The terminal or standard input, for set-owner-key.
    SecretInput* secretInput = nullptr;
    // False when the locale's character set is not UTF-8: arguments are
    // then taken only when they are plain ASCII.
    bool argumentsAreUtf8 = true;
};

// The window's store, its lock and its backups.
SettingsEnvironment systemSettingsEnvironment(SecretInput& input);

// Runs tovrik-settings on its arguments (raw bytes, without the program
// name). Results go to out, errors as one line each to err. A failure
// (Failure) changes nothing; this includes a store that is not safe to use
// or that cannot be read.
ExitStatus runSettings(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                       const SettingsEnvironment& env);
