#include "cli/tovrik-settings/settings_command.h"

#include "cli/common/arguments.h"
#include "cli/common/display_text.h"
#include "settings/program_names.h"
#include "settings/store_backup.h"
#include "text/qt_text.h"

std::vector<std::unique_ptr<SettingsCommand>> settingsCommands()
{
    std::vector<std::unique_ptr<SettingsCommand>> commands;
    commands.push_back(makePathCommand());
    commands.push_back(makeShowCommand());
    commands.push_back(makeSetOwnerKeyCommand());
    commands.push_back(makeImportCommand());
    commands.push_back(makeExportCommand());
    return commands;
}

std::vector<const QCommandLineOption*> allOptions(const SettingsOptions& options)
{
    return {&options.revealKey, &options.clear, &options.app};
}

void warn(const CommandInput& input, std::string_view message)
{
    printMessage(input.err, SettingsProgramName, "warning: " + std::string(message));
}

SettingsStore& checkedStore(StoreSession& session)
{
    const Result<SettingsStore*> store = session.store();
    if (!store)
        throw CommandFailure{store.error().message};
    return *store.value();
}

void takeWriteLock(StoreSession& session)
{
    if (const Result<void> locked = session.lockForWriting(); !locked)
        throw CommandFailure{locked.error().message};
}

StoreBackup backUp(StoreSession& session)
{
    Result<StoreBackup> backup = session.backUp();
    if (!backup)
        throw CommandFailure{backup.error().message};
    return std::move(backup.value());
}

void failWrite(StoreSession& session, const StoreBackup& backup)
{
    if (backup.made)
        session.removeBackup(backup.path);
    throw CommandFailure{"could not write the settings to " + session.location().toStdString() +
                         "; they are unchanged"};
}

void reportBackup(std::ostream& out, const StoreBackup& backup)
{
    if (!backup.path.isEmpty())
        out << "The earlier settings are kept in " << shownPath(backup.path) << " (the last "
            << KeptBackups
            << " such copies are kept, and the last that holds another owner key; older ones "
               "are removed).\n";
}

std::string characterCount(std::u16string_view text)
{
    const qsizetype count = toQ(text).toUcs4().size();
    return std::to_string(count) + (count == 1 ? " character" : " characters");
}

std::string shownPath(const QString& path)
{
    return displayText(fromQ(path));
}

std::string fileMessage(const QString& file, int line, const std::string& message)
{
    // Appended piece by piece: GCC 12 warns, wrongly, about a literal
    // joined to a temporary string in optimised builds.
    std::string text = file.toStdString();
    if (line > 0) {
        text += ':';
        text += std::to_string(line);
    }
    text += ": ";
    text += message;
    return text;
}

std::optional<std::u16string> appOption(const QCommandLineParser& parser,
                                        const SettingsOptions& options)
{
    if (!parser.isSet(options.app))
        return std::nullopt;
    const QString name = parser.value(options.app);
    if (!isProgramName(name))
        throw UsageError{BadProgramNameMessage};
    return fromQ(name);
}
