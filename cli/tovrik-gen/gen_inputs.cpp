#include "cli/tovrik-gen/gen_inputs.h"

#include <algorithm>

#include "charsets/char_list.h"
#include "cli/common/command_line.h"
#include "cli/common/display_text.h"
#include "settings/load_save.h"
#include "settings/memory_settings_store.h"
#include "text/decimal.h"
#include "text/qt_text.h"

namespace {

// As the window would start from the store.
GenInputs storedInputs(const SettingsStore& store)
{
    StoredSettings model;
    // Fixed entropy: a store without "seed2" gives the same numbers at every
    // run instead of new random ones.
    loadSettings(store, model, SeedEntropy{});
    GenInputs inputs;
    inputs.request = generationRequestOf(model);
    inputs.setName = model.sets.setNames[static_cast<std::size_t>(model.sets.currentSet)];
    inputs.spreadLevel = model.spreadLevel;
    inputs.setNames = std::move(model.sets.setNames);
    inputs.setLists = std::move(model.sets.setLists);
    return inputs;
}

// As a first start of the window would have it: the load of an empty store.
GenInputs firstStartInputs()
{
    GenInputs inputs = storedInputs(MemorySettingsStore());
    inputs.spreadLevel = DefaultSpreadLevel;
    return inputs;
}

int parseBounded(const QString& text, int min, int max, const char* option)
{
    const Decimal read = parseDecimal(fromQ(text));
    if (read.form != Decimal::Form::Number || read.value < static_cast<std::uint32_t>(min) ||
        read.value > static_cast<std::uint32_t>(max))
        throw UsageError{std::string("--") + option + " takes a whole number from " +
                         std::to_string(min) + " to " + std::to_string(max)};
    return static_cast<int>(read.value);
}

SeedNumbers parseNumbers(const QString& text)
{
    const QStringList parts = text.split(u'-');
    SeedNumbers numbers{};
    bool ok = parts.size() == static_cast<qsizetype>(numbers.size());
    for (qsizetype i = 0; ok && i < parts.size(); ++i) {
        const Decimal read = parseDecimal(fromQ(parts[i]));
        ok = read.form == Decimal::Form::Number;
        numbers[static_cast<std::size_t>(i)] = read.value;
    }
    if (!ok)
        throw UsageError{"--numbers takes seven numbers from 0 to 4294967295 joined by '-' "
                         "(A-B-C-D-E-F-G)"};
    return numbers;
}

// --owner-name, --owner-key and --ask-owner-key.
void applyOwner(const QCommandLineParser& parser, const GenOptions& options,
                const GenEnvironment& env, GenerationRequest& request)
{
    if (parser.isSet(options.ownerName))
        request.ownerName = fromQ(parser.value(options.ownerName));
    if (parser.isSet(options.ownerKey))
        request.ownerKey = fromQ(parser.value(options.ownerKey));
    if (parser.isSet(options.askOwnerKey)) {
        if (!env.secretInput)
            throw CommandFailure{"there is no input to read the owner key from"};
        Result<std::u16string> key = readOwnerKey(*env.secretInput, false);
        if (!key)
            throw CommandFailure{key.error().message};
        request.ownerKey = std::move(key.value());
    }
}

// --seed, --numbers, --length and --complex.
void applySeedAndShape(const QCommandLineParser& parser, const GenOptions& options,
                       GenerationRequest& request)
{
    if (parser.isSet(options.seed)) {
        request.stringSeedMode = true;
        request.seedText = fromQ(parser.value(options.seed));
    }
    if (parser.isSet(options.numbers)) {
        request.stringSeedMode = false;
        request.seedNumbers = parseNumbers(parser.value(options.numbers));
    }
    if (parser.isSet(options.length))
        request.length = parseBounded(parser.value(options.length), MinPasswordLength,
                                      MaxPasswordLength, "length");
    if (parser.isSet(options.complex))
        request.complexity = true;
}

// --set: the stored set of that exact name.
void chooseStoredSet(const std::u16string& name, GenInputs& inputs)
{
    const auto found = std::find(inputs.setNames.begin(), inputs.setNames.end(), name);
    if (found == inputs.setNames.end()) {
        std::string names;
        for (const std::u16string& known : inputs.setNames)
            names += (names.empty() ? "" : ", ") + quotedDisplayText(known);
        throw UsageError{"there is no character set of that name; the sets are " + names};
    }
    inputs.setName = name;
    inputs.request.charList =
        inputs.setLists[static_cast<std::size_t>(found - inputs.setNames.begin())];
}

} // namespace

GenInputs startingInputs(const QCommandLineParser& parser, const GenOptions& options,
                         const GenEnvironment& env)
{
    if (parser.isSet(options.noStore) || !env.openStore)
        return firstStartInputs();
    const OpenedStore opened = env.openStore(parser.value(options.app));
    if (!opened.store)
        throw CommandFailure{opened.problem, opened.access == StoreAccess::Unreadable
                                                 ? ExitStatus::UnreadableStore
                                                 : ExitStatus::Failure};
    return storedInputs(*opened.store);
}

void applyOptions(const QCommandLineParser& parser, const GenOptions& options,
                  const GenEnvironment& env, GenInputs& inputs)
{
    applyOwner(parser, options, env, inputs.request);
    applySeedAndShape(parser, options, inputs.request);
    if (parser.isSet(options.set))
        chooseStoredSet(fromQ(parser.value(options.set)), inputs);
    if (parser.isSet(options.list)) {
        inputs.setName = ListOptionSetName;
        inputs.request.charList = normalizeCharList(fromQ(parser.value(options.list)));
    }
    if (parser.isSet(options.spread))
        inputs.spreadLevel =
            parseBounded(parser.value(options.spread), 0, SpreadLevels - 1, "spread");
}
