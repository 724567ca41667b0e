#pragma once

#include <QCommandLineOption>
#include <QStringList>

#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/tovrik-settings/run_settings.h"
#include "settings/store_backup.h"
#include "settings/store_identity.h"
#include "text/qt_text.h"

// The options that some commands of tovrik-settings take.
struct SettingsOptions {
    QCommandLineOption revealKey{"reveal-key", "With show: the owner key as it is."};
    QCommandLineOption clear{"clear", "With set-owner-key: empty the owner key, which makes every "
                                      "password public."};
    QCommandLineOption app{"app",
                           QStringLiteral("The settings of the window whose executable is "
                                          "named NAME, without its extension (default %1). "
                                          "With import, also the program whose settings to "
                                          "take from a file that holds several; with export, "
                                          "the program the file names.")
                               .arg(StoreIdentity::ofWindow().application),
                           "NAME"};
};

// What a command is run with.
struct CommandInput {
    const SettingsEnvironment& env;
    StoreSession& session; // the store of the window that --app names
    const QCommandLineParser& parser;
    const SettingsOptions& options;
    QStringList arguments; // those after the command's word
    std::ostream& err;     // for warnings and questions; errors are thrown
};

// One command of tovrik-settings.
class SettingsCommand {
public:
    virtual ~SettingsCommand() = default;

    // The word that names it.
    virtual QString name() const = 0;
    // Its form and what it does, for the help.
    virtual QString synopsis() const = 0;
    virtual QString description() const = 0;
    // Names of the arguments that follow the word, in order.
    virtual QStringList argumentNames() const { return {}; }
    // The options of SettingsOptions that it takes.
    virtual std::vector<const QCommandLineOption*> options(const SettingsOptions&) const
    {
        return {};
    }

    virtual ExitStatus run(const CommandInput& input, std::ostream& out) const = 0;
};

// Every command, in the order the help lists them.
std::vector<std::unique_ptr<SettingsCommand>> settingsCommands();

std::unique_ptr<SettingsCommand> makePathCommand();
std::unique_ptr<SettingsCommand> makeShowCommand();
std::unique_ptr<SettingsCommand> makeSetOwnerKeyCommand();
std::unique_ptr<SettingsCommand> makeImportCommand();
std::unique_ptr<SettingsCommand> makeExportCommand();

// What the commands that read or change the store share. Each throws a
// CommandFailure when it cannot do what it says.

// Every option, for the check that a command takes those given.
std::vector<const QCommandLineOption*> allOptions(const SettingsOptions& options);
// "tovrik-settings: warning: ..." on standard error.
void warn(const CommandInput& input, std::string_view message);

// The session's store, checked.
SettingsStore& checkedStore(StoreSession& session);
// The window's lock, for the rest of the command; the store is read again
// under it.
void takeWriteLock(StoreSession& session);
// A copy of the store before a write: its path, empty when nothing is
// stored yet; not made again when the newest backup holds the same.
StoreBackup backUp(StoreSession& session);
// The store's flush failed: a backup made for it, the same as the store,
// goes again.
[[noreturn]] void failWrite(StoreSession& session, const StoreBackup& backup);
// "N characters", counting characters, not UTF-16 units.
std::string characterCount(std::u16string_view text);
// A path for a message: its control characters shown escaped.
std::string shownPath(const QString& path);
// What a success says of the backup made before a write, if one was.
void reportBackup(std::ostream& out, const StoreBackup& backup);

// A message about a file, with the line it concerns when there is one.
std::string fileMessage(const QString& file, int line, const std::string& message);
// The program that --app names, checked: a key name without backslashes
// (they would name a deeper key) and control characters (a line break would
// end the key line); nothing when --app is not given.
std::optional<std::u16string> appOption(const QCommandLineParser& parser,
                                        const SettingsOptions& options);
