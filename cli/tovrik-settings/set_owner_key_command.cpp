#include <cmath>

#include "cli/tovrik-settings/settings_command.h"
#include "settings/key_strength.h"
#include "settings/setting_table.h"
#include "text/control_characters.h"

namespace {

// Asks on the terminal whether a key below the advised strength is wanted.
bool confirmedWeakKey(const CommandInput& input)
{
    input.err << "Set this owner key all the same? [y/N] " << std::flush;
    // A question that nobody can see gets no answer.
    if (!input.err)
        return false;
    const SecretRead answer = input.env.secretInput->readLine();
    const auto* text = std::get_if<std::string>(&answer);
    if (!text)
        input.err << '\n'; // Ctrl-D left the cursor behind the question
    return text && (*text == "y" || *text == "Y" || *text == "yes");
}

// The key to set: read from the terminal or standard input, or empty with
// --clear. Nothing of a refused key is repeated in a message.
std::u16string newOwnerKey(const CommandInput& input, const std::u16string& ownerName,
                           std::optional<int>& bits)
{
    if (input.parser.isSet(input.options.clear))
        return {};
    SecretInput* secret = input.env.secretInput;
    if (!secret)
        throw CommandFailure{"there is no input to read the owner key from"};
    Result<std::u16string> read = readOwnerKey(*secret, true);
    if (!read)
        throw CommandFailure{read.error().message + "; the owner key is unchanged"};
    std::u16string key = std::move(read.value());
    // One Enter too many must not make every password public.
    if (key.empty())
        throw CommandFailure{"no owner key was given, and an empty key would make every password "
                             "public (set-owner-key --clear empties it); the owner key is "
                             "unchanged"};
    if (holdsControlCharacters(key))
        throw CommandFailure{"an owner key cannot hold control characters (a tab, an escape, "
                             "...); the owner key is unchanged"};

    if (const std::optional<double> estimate = estimatedKeyBits(key, ownerName)) {
        bits = static_cast<int>(std::floor(*estimate));
        if (*bits < AdvisedKeyBits) {
            warn(input, "this owner key has about " + std::to_string(*bits) +
                            " bits of strength, below the " + std::to_string(AdvisedKeyBits) +
                            " advised: one leaked password lets an attacker try keys offline; " +
                            keyAdvice() + " are enough");
            if (secret->isTerminal() && !confirmedWeakKey(input))
                throw CommandFailure{"the owner key is unchanged"};
        }
    }
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
                   "standard input (at most %2 bytes); an empty key is refused, --clear empties "
                   "it. Its strength is estimated: below %1 bits it warns, and on a terminal asks "
                   "to go on; %3 reach it")
            .arg(AdvisedKeyBits)
            .arg(MaxSecretLineBytes)
            .arg(QString::fromStdString(keyAdvice()));
    }
    std::vector<const QCommandLineOption*> options(const SettingsOptions& o) const override
    {
        return {&o.clear};
    }

    ExitStatus run(const CommandInput& input, std::ostream& out) const override
    {
        StoreSession& session = input.session;
        const std::u16string keyName = settingName(Setting::OwnerKey);
        // A store that cannot be used is refused before the key is asked
        // for; the owner name, which is public, counts against the key.
        const std::u16string ownerName =
            checkedStore(session).readText(settingName(Setting::OwnerName)).value_or(u"");

        std::optional<int> bits;
        const std::u16string key = newOwnerKey(input, ownerName, bits);

        // The window's lock only now, for the write: a window started while
        // the key was typed holds it, and would undo the key with its next
        // save, so the key is refused rather than silently lost.
        try {
            takeWriteLock(session);
        } catch (const CommandFailure& refused) {
            throw CommandFailure{refused.message + "; the owner key is unchanged", refused.status};
        }
        SettingsStore& store = checkedStore(session);
        if (store.readText(keyName).value_or(u"") == key) {
            out << "The owner key is unchanged.\n";
            return ExitStatus::Ok;
        }
        const StoreBackup backup = backUp(session);
        store.writeText(keyName, key);
        if (!store.flush())
            failWrite(session, backup);
        session.removeOldBackups();

        if (key.empty())
            out << "The owner key is now empty: anyone who knows your other settings can make "
                   "your passwords.\n";
        else
            out << "The owner key is set (" << characterCount(key)
                << (bits ? ", about " + std::to_string(*bits) + " bits of strength" : "") << ").\n";
        out << "Every password made from now on differs from those made with the earlier key.\n";
        reportBackup(out, backup);
        return ExitStatus::Ok;
    }
};

} // namespace

std::unique_ptr<SettingsCommand> makeSetOwnerKeyCommand()
{
    return std::make_unique<SetOwnerKeyCommand>();
}
