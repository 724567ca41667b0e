#include "cli/tovrik-gen/gen_command.h"

#include "cli/common/display_text.h"
#include "cli/common/store_help.h"
#include "cli/tovrik-gen/gen_inputs.h"
#include "cli/tovrik-gen/gen_options.h"
#include "engine/local_time.h"
#include "engine/report.h"
#include "settings/program_names.h"
#include "settings/user_settings_store.h"
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

// One run of tovrik-gen over its parsed command line: the inputs as the
// window would start, the options over them, and the passwords or the
// report on out.
class GenCommand {
public:
    GenCommand(const QCommandLineParser& parser, const GenOptions& options,
               const GenEnvironment& env, std::ostream& out, std::ostream& err)
        : parser_(parser), options_(options), env_(env), out_(out), err_(err)
    {
    }

    ExitStatus run() const
    {
        checkUsage(parser_, options_);
        GenInputs inputs = startingInputs(parser_, options_, env_);
        applyOptions(parser_, options_, env_, inputs);
        const Passwords passwords = generate(inputs.request);
        if (parser_.isSet(options_.report))
            printReport(inputs, passwords);
        else
            printPasswords(passwords, inputs.spreadLevel);
        return ExitStatus::Ok;
    }

private:
    // Throws a CommandFailure for an empty list; warns of an empty key.
    Passwords generate(const GenerationRequest& request) const
    {
        std::optional<Passwords> passwords = GeneratePasswords(request);
        if (!passwords)
            throw CommandFailure{"the character list is empty; give --list some characters"};
        if (request.ownerKey.empty())
            printMessage(err_, GenProgramName,
                         "warning: the owner key is empty, so anyone can work out these "
                         "passwords; set a long random owner key");
        return std::move(*passwords);
    }

    void printPasswords(const Passwords& passwords, int spreadLevel) const
    {
        for (const std::u16string& password : shownPasswords(passwords, spreadLevel)) {
            write(password);
            out_ << '\n';
        }
    }

    void printReport(const GenInputs& inputs, const Passwords& passwords) const
    {
        const ReportFields fields =
            reportFieldsOf(inputs.request, inputs.setName, passwords, inputs.spreadLevel);
        const std::optional<std::tm> now = env_.localTime ? env_.localTime() : std::nullopt;
        write(BuildReport(formatReportTime(now), fields));
    }

    // Control characters shown escaped on a terminal, as they are elsewhere.
    void write(std::u16string_view text) const
    {
        out_ << toUtf8(env_.outputIsTerminal ? escapeControls(text, true) : std::u16string(text));
    }

    const QCommandLineParser& parser_;
    const GenOptions& options_;
    const GenEnvironment& env_;
    std::ostream& out_;
    std::ostream& err_;
};

} // namespace

GenEnvironment systemGenEnvironment(SecretInput& input)
{
    GenEnvironment env;
    env.secretInput = &input;
    env.openStore = [](const QString& app) {
        std::unique_ptr<UserSettingsStore> store = openWindowStore(app);
        OpenedStore opened;
        opened.access = store->access();
        opened.problem = store->problem().toStdString();
        if (mayBeUsed(opened.access))
            opened.store = std::move(store);
        return opened;
    };
    env.localTime = currentLocalTime;
    return env;
}

ExitStatus runGen(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                  const GenEnvironment& env)
{
    const GenOptions options;
    CommandLine commandLine(GenProgramName, "[options]", applicationDescription());
    QCommandLineParser& parser = commandLine.parser();
    parser.addOptions(options.all());
    if (const auto done = commandLine.parse(args, env.argumentsAreUtf8, out, err))
        return *done;
    const GenCommand command(parser, options, env, out, err);
    return commandLine.run(out, err, [&] { return command.run(); });
}
