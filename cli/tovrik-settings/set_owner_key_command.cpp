#include "cli/tovrik-settings/command.h"
#include "settings/setting_table.h"

namespace {

class SetOwnerKeyCommand : public SettingsCommand {
public:
    QString name() const override { return QStringLiteral("set-owner-key"); }
    QString synopsis() const override { return QStringLiteral("set-owner-key"); }
    QString description() const override
    {
        return QStringLiteral("set the owner key: asked twice with echo off on a terminal, else "
                              "one line of standard input");
    }

    ExitStatus run(const CommandInput& input, std::ostream& out) const override
    {
        const SettingsEnvironment& env = input.env;
        // Refused before the key is asked for, not after.
        const std::shared_ptr<void> lock = takeWriteLock(env);
        if (!env.secretInput)
            throw CommandFailure{"there is no input to read the owner key from"};
        auto read = readOwnerKey(*env.secretInput, true);
        if (const auto* error = std::get_if<SecretError>(&read))
            throw CommandFailure{error->message + "; the owner key is unchanged"};
        const std::u16string& key = std::get<std::u16string>(read);

        const std::u16string keyName = settingName(Setting::OwnerKey);
        const std::unique_ptr<SettingsStore> store = openCheckedStore(env);
        if (store->readText(keyName).value_or(u"") == key) {
            out << "The owner key is unchanged.\n";
            return ExitStatus::Ok;
        }
        const QString backupPath = backUp(env);
        store->writeText(keyName, key);
        if (!store->flush())
            failWrite(env, backupPath);
        if (env.removeOldBackups)
            env.removeOldBackups();

        if (key.empty())
            out << "The owner key is now empty: anyone who knows your other settings can make "
                   "your passwords.\n";
        else
            out << "The owner key is set (" << characterCount(key) << ").\n";
        out << "Every password made from now on differs from those made with the earlier key.\n";
        reportBackup(out, backupPath);
        return ExitStatus::Ok;
    }
};

} // namespace

std::unique_ptr<SettingsCommand> makeSetOwnerKeyCommand()
{
    return std::make_unique<SetOwnerKeyCommand>();
}
