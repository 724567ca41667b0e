#include "cli/tovrik-settings/settings_command.h"

#include <algorithm>

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

std::unique_ptr<SettingsStore> openCheckedStore(const SettingsEnvironment& env)
{
    std::string error;
    std::unique_ptr<SettingsStore> store = env.openStore(error);
    if (!store)
        throw CommandFailure{error};
    return store;
}

std::shared_ptr<void> takeWriteLock(const SettingsEnvironment& env)
{
    std::string why;
    std::shared_ptr<void> lock = env.lockForWriting(why);
    if (!lock)
        throw CommandFailure{why};
    return lock;
}

StoreBackup backUp(const SettingsEnvironment& env)
{
    std::string error;
    const std::optional<StoreBackup> backup = env.backupStore(error);
    if (!backup)
        throw CommandFailure{error};
    return *backup;
}

void failWrite(const SettingsEnvironment& env, const StoreBackup& backup)
{
    if (backup.made)
        env.removeBackup(backup.path);
    throw CommandFailure{"could not write the settings to " + env.storeLocation().toStdString() +
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

bool holdsControlCharacters(std::u16string_view text)
{
    return std::any_of(text.begin(), text.end(), [](char16_t unit) { return unit < 0x20; });
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

std::optional<std::u16string> appOption(const CommandInput& input)
{
    if (!input.parser.isSet(input.options.app))
        return std::nullopt;
    const QString name = input.parser.value(input.options.app);
    if (!isProgramName(name))
        throw UsageError{BadProgramNameMessage};
    return fromQ(name);
}
