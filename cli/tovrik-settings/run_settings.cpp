#include "cli/tovrik-settings/run_settings.h"

#include <algorithm>

#include "cli/common/store_help.h"
#include "cli/tovrik-settings/settings_command.h"
#include "settings/program_names.h"
#include "settings/store_backup.h"
#include "text/qt_text.h"

namespace {

// Words in lines of at most 79 characters, each line indented.
QString wrapped(const QString& text, int indent)
{
    constexpr qsizetype Width = 79;
    QString result;
    QString line;
    for (const QString& word : text.split(u' ', Qt::SkipEmptyParts)) {
        if (!line.isEmpty() && indent + line.size() + 1 + word.size() > Width) {
            result += QString(indent, u' ') + line + u'\n';
            line.clear();
        }
        line += (line.isEmpty() ? QString() : QStringLiteral(" ")) + word;
    }
    return result + QString(indent, u' ') + line + u'\n';
}

// The help's text above the options: the commands, and what they keep to.
QString description(const std::vector<std::unique_ptr<SettingsCommand>>& commands)
{
    QString text = QStringLiteral("Look at and change the settings of the Tovrik window.\n\n"
                                  "Commands:\n");
    for (const auto& command : commands)
        text +=
            QStringLiteral("  ") + command->synopsis() + u'\n' + wrapped(command->description(), 6);
    const QString unsafe = unsafeStoreHelp();
    text += QStringLiteral(
                "\n"
                "set-owner-key and import refuse while the window runs, since its next save\n"
                "would undo them. Before either changes the store, a copy of it is kept, numbered\n"
                "in the order made (none when the newest copy is the same); the last %5 copies\n"
                "are kept, and the last that holds another owner key; older ones are removed.\n"
                "\n"
                "%6\n"
                "\n"
                "Exit status: %1 on success; %2 on failure (nothing is changed), which includes "
                "a\nstore %7that cannot be read; %3 on bad usage; %4 if the output cannot be\n"
                "written.")
                .arg(exitCode(ExitStatus::Ok))
                .arg(exitCode(ExitStatus::Failure))
                .arg(exitCode(ExitStatus::Usage))
                .arg(exitCode(ExitStatus::OutputFailed))
                .arg(KeptBackups)
                .arg(storePlaceHelp())
                .arg(unsafe.isEmpty()
                         ? QString()
                         : QStringLiteral("that is not safe to use (%1) or\n").arg(unsafe));
    return text;
}

QString commandNames(const std::vector<std::unique_ptr<SettingsCommand>>& commands)
{
    QStringList names;
    for (const auto& command : commands)
        names.push_back(command->name());
    return names.join(QStringLiteral(", "));
}

} // namespace

ExitStatus runSettings(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                       const SettingsEnvironment& env)
{
    const std::vector<std::unique_ptr<SettingsCommand>> commands = settingsCommands();
    const SettingsOptions options;
    CommandLine commandLine(SettingsProgramName, "COMMAND [OPTION]...", description(commands));
    QCommandLineParser& parser = commandLine.parser();
    for (const QCommandLineOption* option : allOptions(options))
        parser.addOption(*option);
    if (const auto done = commandLine.parse(args, env.argumentsAreUtf8, out, err))
        return *done;

    return commandLine.run(out, err, [&] {
        QStringList positional = parser.positionalArguments();
        if (positional.isEmpty())
            throw UsageError{"a command is missing: " + commandNames(commands).toStdString()};
        const QString word = positional.takeFirst();
        const auto found = std::find_if(commands.begin(), commands.end(), [&](const auto& command) {
            return command->name() == word;
        });
        if (found == commands.end())
            throw UsageError{"unknown command; the commands are " +
                             commandNames(commands).toStdString()};
        const SettingsCommand& command = **found;
        const QStringList argumentNames = command.argumentNames();
        if (positional.size() != argumentNames.size())
            throw UsageError{command.name().toStdString() +
                             (argumentNames.isEmpty()
                                  ? std::string(" takes no further argument")
                                  : " takes " + argumentNames.join(u' ').toStdString())};
        for (const QCommandLineOption* option : allOptions(options)) {
            const auto takes = command.options(options);
            if (option == &options.app)
                continue; // every command takes it
            if (parser.isSet(*option) &&
                std::find(takes.begin(), takes.end(), option) == takes.end()) {
                QStringList owners;
                for (const auto& other : commands) {
                    const auto otherTakes = other->options(options);
                    if (std::find(otherTakes.begin(), otherTakes.end(), option) != otherTakes.end())
                        owners.push_back(other->name());
                }
                throw UsageError{"--" + option->names().front().toStdString() + " belongs to " +
                                 owners.join(QStringLiteral(" and ")).toStdString()};
            }
        }
        // One session for the whole command: the store is opened once, and
        // a write holds the lock and the backup through it.
        const std::optional<std::u16string> app = appOption(parser, options);
        if (!env.openSession)
            throw CommandFailure{"there is no settings store to open"};
        const std::unique_ptr<StoreSession> session = env.openSession(toQ(app.value_or(u"")));
        const CommandInput input{env, *session, parser, options, positional, err};
        return command.run(input, out);
    });
}
