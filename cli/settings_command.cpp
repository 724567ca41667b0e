#include "cli/settings_command.h"

#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include "cli/arguments.h"
#include "cli/display_text.h"
#include "cli/registry_file.h"
#include "cli/registry_settings.h"
#include "cli/store_backup.h"
#include "settings/load_save.h"
#include "settings/qt_settings_store.h"
#include "settings/store_lock.h"
#include "settings/system_entropy.h"

namespace {

constexpr const char* ProgramName = "tovrik-settings";

constexpr const char* HelpText =
    "Usage: tovrik-settings COMMAND [OPTION]...\n"
    "Look at and change the settings of the Tovrik window.\n"
    "\n"
    "Commands:\n"
    "  path                 print where the settings are stored\n"
    "  show [--reveal-key]  print every setting as the window would load it; the\n"
    "                       owner key shows only as set or empty unless --reveal-key\n"
    "  set-owner-key        set the owner key: asked twice with echo off on a\n"
    "                       terminal, else one line of standard input\n"
    "  import FILE [--app NAME]\n"
    "                       take the settings from a Windows registry export (.reg);\n"
    "                       with the settings of several programs, NAME chooses one\n"
    "  export FILE [--app NAME]\n"
    "                       write the settings as a registry export for\n"
    "                       HKEY_CURRENT_USER\\Software\\Ostrel Applications\\NAME\\setting102\n"
    "                       (NAME: tovrik unless given); the file holds the owner key\n"
    "\n"
    "  --help               show this help and exit\n"
    "  --version            show the version and exit\n"
    "\n"
    "set-owner-key and import refuse while the window runs, since its next save\n"
    "would undo them. Before either changes the store, a copy of it is kept beside\n"
    "it, named for the time.\n"
    "\n"
    "Exit status: 0 on success; 1 on failure (nothing is changed), which includes a\n"
    "store that is not safe to use (another user's, or writable by others) or that\n"
    "cannot be read; 2 on bad usage.\n";

constexpr std::u16string_view DefaultExportApp = u"tovrik";

// Larger than any settings export; a bigger file is refused unread.
constexpr qint64 MaxImportBytes = 16 * 1024 * 1024;

struct UsageError {
    std::string message;
};

// A failure with its message; the store has not been touched.
struct Failure {
    std::string message;
};

std::string toUtf8(std::u16string_view text)
{
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size())).toStdString();
}

std::unique_ptr<SettingsStore> openStore(const SettingsEnvironment& env)
{
    std::string error;
    std::unique_ptr<SettingsStore> store = env.openStore(error);
    if (!store)
        throw Failure{error};
    return store;
}

std::shared_ptr<void> lockForWriting(const SettingsEnvironment& env)
{
    std::string why;
    std::shared_ptr<void> lock = env.lockForWriting(why);
    if (!lock)
        throw Failure{why};
    return lock;
}

QString backup(const SettingsEnvironment& env)
{
    std::string error;
    const std::optional<QString> path = env.backupStore(error);
    if (!path)
        throw Failure{error};
    return *path;
}

// The store's flush failed: the backup, the same as the store, goes again.
[[noreturn]] void failWrite(const SettingsEnvironment& env, const QString& backupPath)
{
    if (!backupPath.isEmpty())
        env.removeBackup(backupPath);
    throw Failure{"could not write the settings to " + env.storeLocation().toStdString() +
                  "; they are unchanged"};
}

std::string characters(std::u16string_view text)
{
    const qsizetype count =
        QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size())).toUcs4().size();
    return std::to_string(count) + (count == 1 ? " character" : " characters");
}

// ---- path and show ----

int showSettings(std::ostream& out, const SettingsEnvironment& env, bool revealKey)
{
    const std::unique_ptr<SettingsStore> store = openStore(env);
    const std::vector<RegistryValue> stored = storedValues(*store);
    DialogModel model;
    loadSettings(*store, model, SeedEntropy{});
    restoreStartupFields(model);

    const bool seedsStored = std::any_of(stored.begin(), stored.end(),
                                         [](const RegistryValue& v) { return v.name == u"seed2"; });
    if (stored.empty())
        out << "(Nothing is stored yet: these are the values of a first start.)\n";
    out << "owner name:   " << displayText(model.ownerName) << '\n';
    out << "owner key:    ";
    if (revealKey)
        out << displayText(model.ownerKey) << '\n';
    else if (model.ownerKey.empty())
        out << "(empty)\n";
    else
        out << "(set, " << characters(model.ownerKey) << ")\n";
    out << "length:       " << model.length << '\n';
    out << "complexity:   " << (model.complexity != 0 ? "on" : "off") << '\n';
    out << "seed mode:    " << (model.stringSeedMode ? "text" : "numbers") << '\n';
    out << "seed text:    " << displayText(model.seedText) << '\n';
    out << "seed numbers: "
        << (seedsStored ? toUtf8(FormatNumericSeed(model.seedNumbers))
                        : std::string("(none stored: the window draws new ones at its start)"))
        << '\n';
    out << "spread level: " << model.spreadLevel << " (" << (1 << model.spreadLevel)
        << (model.spreadLevel == 0 ? " password" : " passwords") << " shown)\n";
    out << "character sets (* selected):\n";
    for (std::int32_t i = 0; i < model.sets.setCount; ++i) {
        const auto slot = static_cast<std::size_t>(i);
        out << (i == model.sets.currentSet ? "  * " : "    ") << i + 1 << ' '
            << quotedDisplayText(model.sets.setNames[slot]) << ": "
            << displayText(model.sets.setLists[slot]) << '\n';
    }
    return SettingsExitOk;
}

// ---- set-owner-key ----

int setOwnerKey(std::ostream& out, const SettingsEnvironment& env)
{
    // Refused before the key is asked for, not after.
    const std::shared_ptr<void> lock = lockForWriting(env);
    if (!env.secretInput)
        throw Failure{"there is no input to read the owner key from"};
    auto read = readOwnerKey(*env.secretInput, true);
    if (const auto* error = std::get_if<SecretError>(&read))
        throw Failure{error->message + "; the owner key is unchanged"};
    const std::u16string& key = std::get<std::u16string>(read);

    const std::unique_ptr<SettingsStore> store = openStore(env);
    if (store->readText(u"unique key", u"") == key) {
        out << "The owner key is unchanged.\n";
        return SettingsExitOk;
    }
    const QString backupPath = backup(env);
    store->writeText(u"unique key", key);
    if (!store->flush())
        failWrite(env, backupPath);

    if (key.empty())
        out << "The owner key is now empty: anyone who knows your other settings can make "
               "your passwords.\n";
    else
        out << "The owner key is set (" << characters(key) << ").\n";
    out << "Every password made from now on differs from those made with the earlier key.\n";
    if (!backupPath.isEmpty())
        out << "The earlier settings are kept in " << backupPath.toStdString() << ".\n";
    return SettingsExitOk;
}

// ---- import and export ----

std::string fileMessage(const QString& file, int line, const std::string& message)
{
    return file.toStdString() + (line > 0 ? ":" + std::to_string(line) : std::string()) + ": " +
           message;
}

QByteArray readImportFile(const QString& file)
{
    const QFileInfo info(file);
    if (!info.exists())
        throw Failure{fileMessage(file, 0, "no such file")};
    // A FIFO or a device would block or never end.
    if (!info.isFile())
        throw Failure{fileMessage(file, 0, "not a regular file")};
    if (info.size() > MaxImportBytes)
        throw Failure{fileMessage(file, 0, "too large to be a settings export")};
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        throw Failure{fileMessage(file, 0, "cannot read: " + in.errorString().toStdString())};
    QByteArray bytes = in.read(MaxImportBytes + 1);
    if (in.error() != QFileDevice::NoError)
        throw Failure{fileMessage(file, 0, "cannot read: " + in.errorString().toStdString())};
    if (bytes.size() > MaxImportBytes)
        throw Failure{fileMessage(file, 0, "too large to be a settings export")};
    return bytes;
}

int importSettings(std::ostream& out, const SettingsEnvironment& env, const QString& file,
                   const std::optional<std::u16string>& app)
{
    const QByteArray bytes = readImportFile(file);
    auto parsed = parseRegistryExport(
        std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    if (const auto* error = std::get_if<RegistryFileError>(&parsed))
        throw Failure{fileMessage(file, error->line, error->message)};
    auto chosen = sectionImport(std::move(std::get<std::vector<RegistrySection>>(parsed)), app);
    if (const auto* error = std::get_if<RegistryFileError>(&chosen))
        throw Failure{fileMessage(file, error->line, error->message)};
    const SectionImport& import = std::get<SectionImport>(chosen);

    const std::shared_ptr<void> lock = lockForWriting(env);
    const QString backupPath = backup(env);
    const std::unique_ptr<SettingsStore> store = openStore(env);
    const SeedEntropy entropy = env.seedEntropy ? env.seedEntropy() : SeedEntropy{};
    if (!applyImport(*store, import, entropy))
        failWrite(env, backupPath);

    DialogModel model;
    loadSettings(*store, model, entropy);
    out << "Imported the settings of " << quotedDisplayText(import.app) << " from "
        << file.toStdString() << ".\n";
    out << "Owner name " << quotedDisplayText(model.ownerName) << ", owner key "
        << (model.ownerKey.empty() ? std::string("empty") : characters(model.ownerKey)) << ", "
        << model.sets.setCount << (model.sets.setCount == 1 ? " character set" : " character sets")
        << "; `tovrik-settings show` shows the rest.\n";
    if (!backupPath.isEmpty())
        out << "The earlier settings are kept in " << backupPath.toStdString() << ".\n";
    return SettingsExitOk;
}

int exportSettings(std::ostream& out, const SettingsEnvironment& env, const QString& file,
                   const std::u16string& app)
{
    const std::unique_ptr<SettingsStore> store = openStore(env);
    const std::vector<RegistryValue> values = storedValues(*store);
    if (values.empty())
        throw Failure{"nothing is stored in " + env.storeLocation().toStdString() +
                      " yet; start the window once, or import settings"};
    const std::string bytes = writeRegistryExport(app, values);

    // The file holds the owner key: owner-only, and replaced in one step.
    QSaveFile saved(file);
    if (!saved.open(QIODevice::WriteOnly))
        throw Failure{fileMessage(file, 0, "cannot write: " + saved.errorString().toStdString())};
    saved.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    saved.write(bytes.data(), static_cast<qint64>(bytes.size()));
    if (!saved.commit())
        throw Failure{fileMessage(file, 0, "cannot write: " + saved.errorString().toStdString())};

    out << "Exported " << values.size() << " values to " << file.toStdString()
        << ", for HKEY_CURRENT_USER\\Software\\" << SettingsOrganization << '\\' << toUtf8(app)
        << "\\setting102.\n"
        << "The file holds the owner key: keep it as safe as the key itself.\n";
    return SettingsExitOk;
}

// A key name: not empty, no backslash (it would name a deeper key) and no
// control character (a line break would end the key line).
std::u16string checkedApp(const QString& name)
{
    const bool bad = name.isEmpty() || name.contains(u'\\') ||
                     std::any_of(name.begin(), name.end(),
                                 [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7F; });
    if (bad)
        throw UsageError{"--app takes a program name without backslashes or control characters"};
    return name.toStdU16String();
}

} // namespace

SettingsEnvironment systemSettingsEnvironment(SecretInput& input)
{
    // The store as the window would find it, or nothing with the reason:
    // a store that is not the user's own, or that cannot be read, is
    // neither read nor written.
    const auto checkedStore = [](std::string& error) -> std::unique_ptr<QtSettingsStore> {
        std::unique_ptr<QtSettingsStore> store = openWindowStore();
        if (store->access() == StoreAccess::Ours || store->access() == StoreAccess::Absent)
            return store;
        error = store->problem().toStdString();
        return nullptr;
    };
    SettingsEnvironment env;
    env.storeLocation = [] { return openWindowStore()->location(); };
    env.openStore = [checkedStore](std::string& error) -> std::unique_ptr<SettingsStore> {
        return checkedStore(error);
    };
    env.lockForWriting = [checkedStore](std::string& why) -> std::shared_ptr<void> {
        const auto store = checkedStore(why);
        if (!store)
            return nullptr;
        const std::optional<WindowLockPlace> place = windowLockPlace(*store, why);
        return place ? lockForWriting(*place, why) : nullptr;
    };
    env.backupStore = [checkedStore](std::string& error) -> std::optional<QString> {
        const auto store = checkedStore(error);
        if (!store)
            return std::nullopt;
        QString problem;
        if (const std::optional<StoreFolder> folder = store->folder(problem))
            return backupStoreFile(*folder, QDateTime::currentDateTime(), error);
        if (!problem.isEmpty()) {
            error = problem.toStdString();
            return std::nullopt;
        }
        // A store that is no file is kept as a registry export instead.
        const std::vector<RegistryValue> values = storedValues(*store);
        if (values.empty())
            return QString();
        const QString path =
            QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) +
            QStringLiteral("/tovrik-backup-") +
            QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd-HHmmss")) +
            QStringLiteral(".reg");
        QFile file(path);
        const std::string bytes = writeRegistryExport(DefaultExportApp, values);
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly,
                       QFile::ReadOwner | QFile::WriteOwner) ||
            file.write(bytes.data(), static_cast<qint64>(bytes.size())) !=
                static_cast<qint64>(bytes.size())) {
            error = "cannot make the backup " + path.toStdString();
            return std::nullopt;
        }
        return path;
    };
    env.removeBackup = [](const QString& path) { QFile::remove(path); };
    env.seedEntropy = systemSeedEntropy;
    env.secretInput = &input;
    return env;
}

int runSettings(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                const SettingsEnvironment& env)
{
    const QCommandLineOption revealKey("reveal-key");
    const QCommandLineOption app("app", {}, "NAME");
    const QCommandLineOption help("help");
    const QCommandLineOption version("version");
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOptions({revealKey, app, help, version});

    try {
        std::string decodeError;
        const std::optional<QStringList> decoded =
            decodedArguments(ProgramName, args, env.argumentsAreUtf8, decodeError);
        if (!decoded)
            throw UsageError{decodeError};
        if (!parser.parse(*decoded))
            throw UsageError{parser.errorText().toStdString()};
        if (parser.isSet(help)) {
            out << HelpText;
            return SettingsExitOk;
        }
        if (parser.isSet(version)) {
            out << ProgramName << " 1.02\n";
            return SettingsExitOk;
        }
        const QStringList positional = parser.positionalArguments();
        if (positional.isEmpty())
            throw UsageError{"a command is missing: path, show, set-owner-key, import or export"};
        const QString command = positional.front();
        const bool takesFile = command == u"import" || command == u"export";
        const bool known =
            takesFile || command == u"path" || command == u"show" || command == u"set-owner-key";
        if (!known)
            throw UsageError{"unknown command; the commands are path, show, set-owner-key, "
                             "import and export"};
        if (takesFile && positional.size() != 2)
            throw UsageError{command.toStdString() + " takes one FILE"};
        if (!takesFile && positional.size() != 1)
            throw UsageError{command.toStdString() + " takes no further argument"};
        if (parser.isSet(revealKey) && command != u"show")
            throw UsageError{"--reveal-key belongs to show"};
        if (parser.isSet(app) && !takesFile)
            throw UsageError{"--app belongs to import and export"};
        const std::optional<std::u16string> appName =
            parser.isSet(app) ? std::optional(checkedApp(parser.value(app))) : std::nullopt;

        try {
            if (command == u"path") {
                openStore(env); // a store that is not used has no place to print
                out << env.storeLocation().toStdString() << '\n';
                return SettingsExitOk;
            }
            if (command == u"show")
                return showSettings(out, env, parser.isSet(revealKey));
            if (command == u"set-owner-key")
                return setOwnerKey(out, env);
            if (command == u"import")
                return importSettings(out, env, positional[1], appName);
            return exportSettings(out, env, positional[1],
                                  appName.value_or(std::u16string(DefaultExportApp)));
        } catch (const Failure& failure) {
            err << ProgramName << ": " << messageLine(failure.message) << '\n';
            return SettingsExitFailure;
        }
    } catch (const UsageError& error) {
        err << ProgramName << ": " << messageLine(error.message) << " (see --help)\n";
        return SettingsExitUsage;
    }
}
