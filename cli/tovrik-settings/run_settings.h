#pragma once

#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/common/command_line.h"
#include "cli/common/secret_input.h"
#include "settings/load_save.h"
#include "settings/settings_store.h"
#include "settings/store_backup.h"

// What tovrik-settings needs of the world; tests put in-memory stand-ins.
struct SettingsEnvironment {
    // Where the store lives, as `path` prints it.
    std::function<QString()> storeLocation;
    // Opens the window's store; nothing, with the reason in error (one line
    // naming the path), when it is not the user's own or cannot be read.
    std::function<std::unique_ptr<SettingsStore>(std::string& error)> openStore;
    // Takes the lock that a running window holds, for the time of one write:
    // a token that holds it while it lives, or nothing with the reason.
    std::function<std::shared_ptr<void>(std::string& why)> lockForWriting;
    // Keeps a copy of the store before a write (see backupStore), or
    // nothing with the reason.
    std::function<std::optional<StoreBackup>(std::string& error)> backupStore;
    // Removes a backup that a failed write made needless.
    std::function<void(const QString& path)> removeBackup;
    // After a write that succeeded: removes the backups beyond the newest
    // KeptBackups.
    std::function<void()> removeOldBackups;
    // Whether the store exists at all (a file, a key), even one that holds
    // nothing the window reads.
    std::function<bool()> storeExists;
    // Where the default seed numbers of an import come from.
    std::function<SeedEntropy()> seedEntropy;
    // Points the functions above at the store of the window whose
    // executable is named app (--app); until then, the window's usual one.
    std::function<void(const QString& app)> chooseApp;
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
