#include "cli/tovrik-gen/gen_command.h"

#include <algorithm>

#include "charsets/char_list.h"
#include "cli/common/arguments.h"
#include "cli/common/display_text.h"
#include "cli/common/store_help.h"
#include "engine/generate.h"
#include "engine/local_time.h"
#include "engine/report.h"
#include "settings/load_save.h"
#include "settings/memory_settings_store.h"
#include "settings/program_names.h"
#include "settings/qt_settings_store.h"
#include "text/decimal.h"
#include "text/qt_text.h"

namespace {

// What --help says before the options.
QString applicationDescription()
{
    const QString unsafe = unsafeStoreHelp();
    return QStringLiteral(
               "Print the passwords that Tovrik makes. The values come from the window's\n"
               "settings store, which is read and never written; each option overrides its\n"
               "stored value.\n"
               "\n"
               "%1\n"
               "\n"
               "Exit status: %2 on success; %3 if the character list is empty, if no owner key\n"
               "was read%4; %5 on bad usage;\n"
               "%6 if the store exists but cannot be read; %7 if the output cannot be written.")
        .arg(storePlaceHelp())
        .arg(exitCode(ExitStatus::Ok))
        .arg(exitCode(ExitStatus::Failure))
        .arg(unsafe.isEmpty()
                 ? QString()
                 : QStringLiteral(", or if the store is not safe to use\n(%1)").arg(unsafe))
        .arg(exitCode(ExitStatus::Usage))
        .arg(exitCode(ExitStatus::UnreadableStore))
        .arg(exitCode(ExitStatus::OutputFailed));
}

constexpr int DefaultSpreadLevel = SpreadLevels - 1;

// What the report gives as the set's name when --list gave the list: no
// stored set may be named for a list that did not come from it.
constexpr std::u16string_view ListOptionSetName = u"（--list で指定）";

// Everything one run needs.
struct GenInputs {
    GenerationRequest request;
    std::u16string setName;
    int spreadLevel = DefaultSpreadLevel;
    // The character sets that --set chooses from.
    std::vector<std::u16string> setNames;
    std::vector<std::u16string> setLists;
};

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

} // namespace

GenEnvironment systemGenEnvironment(SecretInput& input)
{
    GenEnvironment env;
    env.secretInput = &input;
    env.openStore = [](const QString& app) {
        std::unique_ptr<QtSettingsStore> store = openWindowStore(app);
        OpenedStore opened;
        opened.access = store->access();
        opened.problem = store->problem().toStdString();
        if (opened.access == StoreAccess::Ours || opened.access == StoreAccess::Absent)
            opened.store = std::move(store);
        return opened;
    };
    env.localTime = currentLocalTime;
    return env;
}

ExitStatus runGen(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                  const GenEnvironment& env)
{
    const QCommandLineOption ownerName("owner-name", "Owner name mixed into every password.",
                                       "TEXT");
    const QCommandLineOption ownerKey(
        "owner-key",
        "Owner key mixed into every password. Other users of this machine can see it while "
        "tovrik-gen runs, and the shell's history keeps it: prefer --ask-owner-key.",
        "TEXT");
    const QCommandLineOption askOwnerKey(
        "ask-owner-key",
        QStringLiteral("Read the owner key: asked with echo off on a terminal, else one line of "
                       "standard input (at most %1 bytes).")
            .arg(MaxSecretLineBytes));
    const QCommandLineOption seed("seed", "Seed text (string seed mode).", "TEXT");
    const QCommandLineOption numbers(
        "numbers",
        QStringLiteral("%1 unsigned 32-bit numbers (numeric seed mode).").arg(SeedNumberCount),
        "A-B-C-D-E-F-G");
    const QCommandLineOption length("length",
                                    QStringLiteral("Characters per password, %1 to %2.")
                                        .arg(MinPasswordLength)
                                        .arg(MaxPasswordLength),
                                    "L");
    const QCommandLineOption complex("complex",
                                     "Every character class of the list in each password.");
    const QCommandLineOption set("set", "Draw from the stored character set of that exact name.",
                                 "NAME");
    const QCommandLineOption list(
        "list",
        QStringLiteral("Character list to draw from; the report then gives %1 as its set name.")
            .arg(toQ(ListOptionSetName)),
        "CHARS");
    const QCommandLineOption spread(
        "spread",
        QStringLiteral("Print 2^LEVEL passwords, LEVEL 0 to %1 (default: the stored level; %1 "
                       "with --no-store).")
            .arg(SpreadLevels - 1),
        "LEVEL");
    const QCommandLineOption report("report", "Print the generation report (CR LF) instead.");
    const QCommandLineOption noStore("no-store", "Ignore the store and use first-start values.");
    const QCommandLineOption app(
        "app",
        QStringLiteral("Read the store of the window whose executable is named NAME, without its "
                       "extension (default %1).")
            .arg(toQ(StoreApplicationName)),
        "NAME");

    CommandLine commandLine(GenProgramName, "[options]", applicationDescription());
    QCommandLineParser& parser = commandLine.parser();
    parser.addOptions({ownerName, ownerKey, askOwnerKey, seed, numbers, length, complex, set, list,
                       spread, report, noStore, app});
    if (const auto done = commandLine.parse(args, env.argumentsAreUtf8, out, err))
        return *done;

    return commandLine.run(out, err, [&] {
        if (!parser.positionalArguments().isEmpty())
            throw UsageError{"unexpected argument; a value that holds spaces must be quoted"};
        if (parser.isSet(seed) && parser.isSet(numbers))
            throw UsageError{"--seed and --numbers cannot be used together"};
        if (parser.isSet(set) && parser.isSet(list))
            throw UsageError{"--set and --list cannot be used together"};
        if (parser.isSet(ownerKey) && parser.isSet(askOwnerKey))
            throw UsageError{"--owner-key and --ask-owner-key cannot be used together"};
        if (parser.isSet(app) && parser.isSet(noStore))
            throw UsageError{"--app and --no-store cannot be used together"};
        if (parser.isSet(app) && !isProgramName(parser.value(app)))
            throw UsageError{BadProgramNameMessage};

        GenInputs inputs;
        if (parser.isSet(noStore) || !env.openStore) {
            inputs = firstStartInputs();
        } else {
            const OpenedStore opened = env.openStore(parser.value(app));
            if (!opened.store)
                throw CommandFailure{opened.problem, opened.access == StoreAccess::Unreadable
                                                         ? ExitStatus::UnreadableStore
                                                         : ExitStatus::Failure};
            inputs = storedInputs(*opened.store);
        }

        GenerationRequest& request = inputs.request;
        if (parser.isSet(ownerName))
            request.ownerName = fromQ(parser.value(ownerName));
        if (parser.isSet(ownerKey))
            request.ownerKey = fromQ(parser.value(ownerKey));
        if (parser.isSet(askOwnerKey)) {
            if (!env.secretInput)
                throw CommandFailure{"there is no input to read the owner key from"};
            Result<std::u16string> key = readOwnerKey(*env.secretInput, false);
            if (!key)
                throw CommandFailure{key.error().message};
            request.ownerKey = std::move(key.value());
        }
        if (parser.isSet(seed)) {
            request.stringSeedMode = true;
            request.seedText = fromQ(parser.value(seed));
        }
        if (parser.isSet(numbers)) {
            request.stringSeedMode = false;
            request.seedNumbers = parseNumbers(parser.value(numbers));
        }
        if (parser.isSet(length))
            request.length =
                parseBounded(parser.value(length), MinPasswordLength, MaxPasswordLength, "length");
        if (parser.isSet(complex))
            request.complexity = true;
        if (parser.isSet(set)) {
            const std::u16string name = fromQ(parser.value(set));
            const auto found = std::find(inputs.setNames.begin(), inputs.setNames.end(), name);
            if (found == inputs.setNames.end()) {
                std::string names;
                for (const std::u16string& known : inputs.setNames)
                    names += (names.empty() ? "" : ", ") + quotedDisplayText(known);
                throw UsageError{"there is no character set of that name; the sets are " + names};
            }
            inputs.setName = name;
            request.charList =
                inputs.setLists[static_cast<std::size_t>(found - inputs.setNames.begin())];
        }
        if (parser.isSet(list)) {
            inputs.setName = ListOptionSetName;
            request.charList = normalizeCharList(fromQ(parser.value(list)));
        }
        if (parser.isSet(spread))
            inputs.spreadLevel = parseBounded(parser.value(spread), 0, SpreadLevels - 1, "spread");

        const std::optional<Passwords> passwords = GeneratePasswords(request);
        if (!passwords)
            throw CommandFailure{"the character list is empty; give --list some characters"};
        if (request.ownerKey.empty())
            printMessage(err, GenProgramName,
                         "warning: the owner key is empty, so anyone can work out these "
                         "passwords; set a long random owner key");

        const auto write = [&](std::u16string_view text) {
            out << toUtf8(env.outputIsTerminal ? escapeControls(text, true) : std::u16string(text));
        };
        if (!parser.isSet(report)) {
            for (const std::u16string& password : shownPasswords(*passwords, inputs.spreadLevel)) {
                write(password);
                out << '\n';
            }
            return ExitStatus::Ok;
        }
        const ReportFields fields =
            reportFieldsOf(request, inputs.setName, *passwords, inputs.spreadLevel);
        const std::optional<std::tm> now = env.localTime ? env.localTime() : std::nullopt;
        write(BuildReport(formatReportTime(now), fields));
        return ExitStatus::Ok;
    });
}
