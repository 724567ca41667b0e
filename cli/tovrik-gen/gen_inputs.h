#pragma once

#include <QCommandLineParser>

#include <string>
#include <vector>

#include "cli/tovrik-gen/gen_command.h"
#include "cli/tovrik-gen/gen_options.h"
#include "engine/generate.h"

// The spread level without a store: every password shown.
inline constexpr int DefaultSpreadLevel = SpreadLevels - 1;

// Everything one run of tovrik-gen generates from.
struct GenInputs {
    GenerationRequest request;
    std::u16string setName;
    int spreadLevel = DefaultSpreadLevel;
    // The character sets that --set chooses from.
    std::vector<std::u16string> setNames;
    std::vector<std::u16string> setLists;
};

// The inputs as the window would start: from the store, or from a first
// start with --no-store or without a store. Throws a CommandFailure when the
// store cannot be used.
GenInputs startingInputs(const QCommandLineParser& parser, const GenOptions& options,
                         const GenEnvironment& env);

// The options given, over the inputs; --ask-owner-key reads the key here.
// Throws a UsageError for a bad value, a CommandFailure when no key is read.
void applyOptions(const QCommandLineParser& parser, const GenOptions& options,
                  const GenEnvironment& env, GenInputs& inputs);
