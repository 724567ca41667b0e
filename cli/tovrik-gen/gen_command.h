#pragma once

#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include <QString>

#include "cli/common/command_line.h"
#include "cli/common/secret_input.h"
#include "settings/settings_store.h"

// The window's store as tovrik-gen found it.
struct OpenedStore {
    std::unique_ptr<SettingsStore> store; // null unless access is Ours or Absent
    StoreAccess access = StoreAccess::Ours;
    std::string problem; // one line naming the path, when the store is not used
};

struct GenEnvironment {
    // The local time for --report; nothing when it cannot be determined.
    std::function<std::optional<std::tm>()> localTime;
    // Opens the settings store of the window whose executable is named app
    // (--app; empty: the window's usual name), which tovrik-gen only reads.
    // Unset: there is no store, as with --no-store.
    std::function<OpenedStore(const QString& app)> openStore;
    // False when the locale's character set is not UTF-8: arguments are
    // then taken only when they are plain ASCII.
    bool argumentsAreUtf8 = true;
    // Control characters are shown escaped on a terminal and written as
    // they are into a pipe or a file.
    bool outputIsTerminal = false;
    // Where --ask-owner-key reads the key from. Unset: it cannot be asked.
    SecretInput* secretInput = nullptr;
};

GenEnvironment systemGenEnvironment(SecretInput& input);

// Runs tovrik-gen on its arguments (raw bytes, without the program name).
// Passwords or the report go to out, a single error line to err.
// Exit statuses: Failure for an empty character list, no usable owner key
// from --ask-owner-key, or a store that is not the user's own.
ExitStatus runGen(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                  const GenEnvironment& env);
