#include "cli/gen_command.h"

#include <QCommandLineParser>

#include <algorithm>
#include <charconv>

#include "charsets/char_list.h"
#include "cli/arguments.h"
#include "cli/display_text.h"
#include "engine/generate.h"
#include "engine/local_time.h"
#include "engine/report.h"
#include "engine/version.h"
#include "settings/load_save.h"
#include "settings/memory_settings_store.h"
#include "settings/qt_settings_store.h"

namespace {

constexpr const char* ProgramName = "tovrik-gen";

// What --help says before and after the options.
QString applicationDescription()
{
    return QStringLiteral(
               "Print the passwords that Tovrik makes. The values come from the window's\n"
               "settings store, which is read and never written; each option overrides its\n"
               "stored value.\n"
               "\n"
               "The store on Linux: $XDG_CONFIG_HOME/%1/%2.conf\n"
               "(~/.config when XDG_CONFIG_HOME is not set).\n"
               "\n"
               "Exit status: %3 on success; %4 if the character list is empty, if no owner key\n"
               "was read, or if the store is not safe to use (another user's, or writable by\n"
               "others); %5 on bad usage;\n"
               "%6 if the store exists but cannot be read; %7 if the output cannot be written.")
        .arg(QString::fromLatin1(SettingsOrganization), QString::fromLatin1(WindowApplicationName))
        .arg(ExitOk)
        .arg(ExitNothingToDraw)
        .arg(ExitUsage)
        .arg(ExitUnreadableStore)
        .arg(ExitOutputFailed);
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
    DialogModel model;
    // Fixed entropy: a store without "seed2" gives the same numbers at every
    // run instead of new random ones.
    loadSettings(store, model, SeedEntropy{});
    restoreStartupFields(model);
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

// Everything written must have reached standard output: a full disk or a
// closed pipe is a failure, not a success with nothing printed.
int finish(std::ostream& out, std::ostream& err)
{
    out.flush();
    if (out)
        return ExitOk;
    err << ProgramName << ": cannot write to standard output\n";
    return ExitOutputFailed;
}

// One line for standard error. It never quotes a value given on the command
// line: that may be the owner key, a seed or a list.
struct UsageError {
    std::string message;
};

std::u16string toU16(const QString& text)
{
    return text.toStdU16String();
}

std::string toUtf8(std::u16string_view text)
{
    const QByteArray bytes =
        QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size())).toUtf8();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

// Whole-text decimal with an inclusive upper bound.
std::optional<std::uint64_t> parseDecimal(const QString& text, std::uint64_t max)
{
    const QByteArray ascii = text.toLatin1();
    if (ascii.isEmpty() || text.size() != ascii.size())
        return std::nullopt;
    std::uint64_t value = 0;
    const char* end = ascii.constData() + ascii.size();
    const auto [ptr, ec] = std::from_chars(ascii.constData(), end, value);
    if (ec != std::errc() || ptr != end || value > max)
        return std::nullopt;
    return value;
}

int parseBounded(const QString& text, int min, int max, const char* option)
{
    const auto value = parseDecimal(text, static_cast<std::uint64_t>(max));
    if (!value || *value < static_cast<std::uint64_t>(min))
        throw UsageError{std::string("--") + option + " takes a whole number from " +
                         std::to_string(min) + " to " + std::to_string(max)};
    return static_cast<int>(*value);
}

SeedNumbers parseNumbers(const QString& text)
{
    const QStringList parts = text.split(u'-');
    SeedNumbers numbers{};
    bool ok = parts.size() == static_cast<qsizetype>(numbers.size());
    for (qsizetype i = 0; ok && i < parts.size(); ++i) {
        const auto value = parseDecimal(parts[i], 0xFFFFFFFFu);
        ok = value.has_value();
        if (ok)
            numbers[static_cast<std::size_t>(i)] = static_cast<std::uint32_t>(*value);
    }
    if (!ok)
        throw UsageError{"--numbers takes seven numbers from 0 to 4294967295 joined by '-' "
                         "(A-B-C-D-E-F-G)"};
    return numbers;
}

// Qt's help, under a usage line that names the program whatever argv[0] is.
std::string helpText(const QCommandLineParser& parser)
{
    const QString text = parser.helpText();
    return "Usage: " + std::string(ProgramName) + " [options]\n" +
           text.mid(text.indexOf(u'\n') + 1).toStdString();
}

} // namespace

GenEnvironment systemGenEnvironment(SecretInput& input)
{
    GenEnvironment env;
    env.secretInput = &input;
    env.openStore = [] {
        std::unique_ptr<QtSettingsStore> store = openWindowStore();
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

int runGen(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
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
        "Read the owner key: asked with echo off on a terminal, else one line of standard input.");
    const QCommandLineOption seed("seed", "Seed text (string seed mode).", "TEXT");
    const QCommandLineOption numbers(
        "numbers", "Seven unsigned 32-bit numbers (numeric seed mode).", "A-B-C-D-E-F-G");
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
            .arg(QString::fromStdU16String(std::u16string(ListOptionSetName))),
        "CHARS");
    const QCommandLineOption spread(
        "spread",
        QStringLiteral("Print 2^LEVEL passwords, LEVEL 0 to %1 (default: the stored level; %1 "
                       "with --no-store).")
            .arg(SpreadLevels - 1),
        "LEVEL");
    const QCommandLineOption report("report", "Print the generation report (CR LF) instead.");
    const QCommandLineOption noStore("no-store", "Ignore the store and use first-start values.");

    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(applicationDescription());
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addOptions({ownerName, ownerKey, askOwnerKey, seed, numbers, length, complex, set, list,
                       spread, report, noStore});

    GenInputs inputs;
    bool wantReport = false;
    try {
        std::string decodeError;
        const std::optional<QStringList> decoded =
            decodedArguments(ProgramName, args, env.argumentsAreUtf8, decodeError);
        if (!decoded)
            throw UsageError{decodeError};
        if (!parser.parse(*decoded)) {
            // An unknown "option" may be part of a value that was not quoted.
            if (!parser.unknownOptionNames().isEmpty())
                throw UsageError{"unknown option"};
            throw UsageError{parser.errorText().toStdString()};
        }
        if (!parser.positionalArguments().isEmpty())
            throw UsageError{"unexpected argument; a value that holds spaces must be quoted"};
        // --help-all, which addHelpOption adds as well, has no further
        // options to show here.
        if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
            out << helpText(parser);
            return finish(out, err);
        }
        if (parser.isSet(version)) {
            out << ProgramName << ' ' << TovrikVersion << '\n';
            return finish(out, err);
        }
        if (parser.isSet(seed) && parser.isSet(numbers))
            throw UsageError{"--seed and --numbers cannot be used together"};
        if (parser.isSet(set) && parser.isSet(list))
            throw UsageError{"--set and --list cannot be used together"};
        if (parser.isSet(ownerKey) && parser.isSet(askOwnerKey))
            throw UsageError{"--owner-key and --ask-owner-key cannot be used together"};

        if (parser.isSet(noStore) || !env.openStore) {
            inputs = firstStartInputs();
        } else {
            const OpenedStore opened = env.openStore();
            if (!opened.store) {
                err << ProgramName << ": " << opened.problem << '\n';
                return opened.access == StoreAccess::Unreadable ? ExitUnreadableStore
                                                                : ExitRefusedStore;
            }
            inputs = storedInputs(*opened.store);
        }

        GenerationRequest& request = inputs.request;
        if (parser.isSet(ownerName))
            request.ownerName = toU16(parser.value(ownerName));
        if (parser.isSet(ownerKey))
            request.ownerKey = toU16(parser.value(ownerKey));
        if (parser.isSet(askOwnerKey)) {
            if (!env.secretInput) {
                err << ProgramName << ": there is no input to read the owner key from\n";
                return ExitNoOwnerKey;
            }
            auto key = readOwnerKey(*env.secretInput, false);
            if (const auto* error = std::get_if<SecretError>(&key)) {
                err << ProgramName << ": " << error->message << '\n';
                return ExitNoOwnerKey;
            }
            request.ownerKey = std::move(std::get<std::u16string>(key));
        }
        if (parser.isSet(seed)) {
            request.stringSeedMode = true;
            request.seedText = toU16(parser.value(seed));
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
            const std::u16string name = toU16(parser.value(set));
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
            request.charList = normalizeCharList(toU16(parser.value(list)));
        }
        if (parser.isSet(spread))
            inputs.spreadLevel = parseBounded(parser.value(spread), 0, SpreadLevels - 1, "spread");
        wantReport = parser.isSet(report);
    } catch (const UsageError& error) {
        err << ProgramName << ": " << messageLine(error.message) << " (see --help)\n";
        return ExitUsage;
    }

    const GenerationRequest& request = inputs.request;
    const std::optional<Passwords> passwords = GeneratePasswords(request);
    if (!passwords) {
        err << ProgramName << ": the character list is empty; give --list some characters\n";
        return ExitNothingToDraw;
    }

    if (request.ownerKey.empty())
        err << ProgramName
            << ": warning: the owner key is empty, so anyone can work out these passwords; "
               "set a long random owner key\n";

    const auto write = [&](std::u16string_view text) {
        out << toUtf8(env.outputIsTerminal ? escapeControls(text, true) : std::u16string(text));
    };
    if (!wantReport) {
        for (const std::u16string& password : shownPasswords(*passwords, inputs.spreadLevel)) {
            write(password);
            out << '\n';
        }
        return finish(out, err);
    }

    const ReportFields fields =
        reportFieldsOf(request, inputs.setName, *passwords, inputs.spreadLevel);
    const std::optional<std::tm> now = env.localTime ? env.localTime() : std::nullopt;
    write(BuildReport(formatReportTime(now), fields));
    return finish(out, err);
}
