#pragma once

#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/secret_input.h"
#include "settings/settings_store.h"

// Exit statuses of tovrik-gen.
inline constexpr int ExitOk = 0;
inline constexpr int ExitNothingToDraw = 1;   // the character list is empty
inline constexpr int ExitRefusedStore = 1;    // the store is not the user's own
inline constexpr int ExitNoOwnerKey = 1;      // --ask-owner-key read no usable key
inline constexpr int ExitUsage = 2;           // bad command line
inline constexpr int ExitUnreadableStore = 3; // the store exists but cannot be read
inline constexpr int ExitOutputFailed = 4;    // standard output could not be written

// The window's store as tovrik-gen found it.
struct OpenedStore {
    std::unique_ptr<SettingsStore> store; // null unless access is Ours or Absent
    StoreAccess access = StoreAccess::Ours;
    std::string problem; // one line naming the path, when the store is not used
};

struct GenEnvironment {
    // The local time for --report; nothing when it cannot be determined.
    std::function<std::optional<std::tm>()> localTime;
    // Opens the window's settings store, which tovrik-gen only reads. Unset:
    // there is no store, as with --no-store.
    std::function<OpenedStore()> openStore;
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
int runGen(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           const GenEnvironment& env);
