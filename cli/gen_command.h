#pragma once

#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "settings/settings_store.h"

// Exit statuses of tovrik-gen.
inline constexpr int ExitOk = 0;
inline constexpr int ExitNothingToDraw = 1; // the character list is empty
inline constexpr int ExitUsage = 2;         // bad command line

struct GenEnvironment {
    // The local time for --report; nothing when it cannot be determined.
    std::function<std::optional<std::tm>()> localTime;
    // Opens the window's settings store, which tovrik-gen only reads. Unset:
    // there is no store, as with --no-store.
    std::function<std::unique_ptr<SettingsStore>()> openStore;
};

GenEnvironment systemGenEnvironment();

// Runs tovrik-gen on its arguments (raw bytes, without the program name).
// Passwords or the report go to out, a single error line to err.
int runGen(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           const GenEnvironment& env);
