#include "cli/tovrik-settings/command.h"
#include "settings/setting_table.h"

namespace {

// The key to set: read from the terminal or standard input, or empty with
// --clear. Nothing of a refused key is repeated in a message.
std::u16string newOwnerKey(const CommandInput& input)
{
    if (input.parser.isSet(input.options.clear))
        return {};
    SecretInput* secret = input.env.secretInput;
    if (!secret)
        throw CommandFailure{"there is no input to read the owner key from"};
    auto read = readOwnerKey(*secret, true);
    if (const auto* error = std::get_if<SecretError>(&read))
        throw CommandFailure{error->message + "; the owner key is unchanged"};
    std::u16string key = std::move(std::get<std::u16string>(read));
    // One Enter too many must not make every password public.
    if (key.empty())
        throw CommandFailure{"no owner key was given, and an empty key would make every password "
                             "public (set-owner-key --clear empties it); the owner key is "
                             "unchanged"};
    if (holdsControlCharacters(key))
        throw CommandFailure{"an owner key cannot hold control characters (a tab, an escape, "
                             "...); the owner key is unchanged"};
    return key;
}

class SetOwnerKeyCommand : public SettingsCommand {
public:
    QString name() const override { return QStringLiteral("set-owner-key"); }
    QString synopsis() const override { return QStringLiteral("set-owner-key [--clear]"); }
    QString description() const override
    {
        return QStringLiteral(
            "set the owner key: asked twice with echo off on a terminal, else one line of "
            "standard input; an empty key is refused, --clear empties it");
    }
    std::vector<const QCommandLineOption*> options(const SettingsOptions& o) const override
    {
        return {&o.clear};
    }

    ExitStatus run(const CommandInput& input, std::ostream& out) const override
    {
        const SettingsEnvironment& env = input.env;
        const std::u16string keyName = settingName(Setting::OwnerKey);
        // A store that cannot be used is refused before the key is asked
        // for.
        openCheckedStore(env);
        const std::u16string key = newOwnerKey(input);

        // The window's lock only now, for the write: a window started while
        // the key was typed holds it, and would undo the key with its next
        // save, so the key is refused rather than silently lost.
        std::shared_ptr<void> lock;
        try {
            lock = takeWriteLock(env);
        } catch (const CommandFailure& refused) {
            throw CommandFailure{refused.message + "; the owner key is unchanged", refused.status};
        }
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
