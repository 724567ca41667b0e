#pragma once

#include <QCommandLineParser>

#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

// What tovrik-gen and tovrik-settings share of a command line: their exit
// statuses, their errors and messages, and the parsing of their arguments.

// The exit statuses of both programs.
enum class ExitStatus : int {
    Ok = 0,
    Failure = 1,         // nothing could be made or changed (the message says why)
    Usage = 2,           // a bad command line
    UnreadableStore = 3, // the store exists but cannot be read (tovrik-gen)
    OutputFailed = 4,    // standard output could not be written
};

// A bad command line. The message never quotes a value given on it: that
// may be the owner key, a seed or a list.
struct UsageError {
    std::string message;
};

// A failure with its message (UTF-8) and its status; nothing was changed.
struct CommandFailure {
    std::string message;
    ExitStatus status = ExitStatus::Failure;
};

// "program: message" on one line of err, the message's control characters
// shown escaped.
void printMessage(std::ostream& err, std::string_view program, std::string_view message);

// One program's command line: its name, its parser with the options it
// takes, and what --help says besides them.
class CommandLine {
public:
    // usage: what follows the program's name in the help's usage line.
    CommandLine(std::string_view program, std::string_view usage, const QString& description);

    QCommandLineParser& parser() { return parser_; }
    std::string_view program() const { return program_; }

    // Decodes the arguments (raw bytes, without the program name; see
    // decodedArguments) and parses them; --help (-h) and --version (-v) are
    // answered here. Nothing when the program goes on with the parsed
    // options; else the status to exit with, the help, the version or the
    // error written.
    std::optional<ExitStatus> parse(const std::vector<std::string>& args, bool argumentsAreUtf8,
                                    std::ostream& out, std::ostream& err);

    // Runs the program's work: its UsageError and CommandFailure become
    // their message and status, and a success needs its output flushed.
    template <class Work> ExitStatus run(std::ostream& out, std::ostream& err, Work&& work)
    {
        try {
            const ExitStatus status = work();
            return status == ExitStatus::Ok ? finish(out, err) : status;
        } catch (const UsageError& error) {
            return usageError(err, error.message);
        } catch (const CommandFailure& failure) {
            printMessage(err, program_, failure.message);
            return failure.status;
        }
    }

    // Everything written must have reached out: a full disk or a closed
    // pipe is a failure, not a success with nothing printed.
    ExitStatus finish(std::ostream& out, std::ostream& err) const;

private:
    ExitStatus usageError(std::ostream& err, std::string_view message) const;
    std::string helpText() const;

    std::string program_;
    std::string usage_;
    QCommandLineParser parser_;
    QCommandLineOption help_;
    QCommandLineOption helpAll_;
    QCommandLineOption version_;
};

// The int a main returns.
inline int exitCode(ExitStatus status)
{
    return static_cast<int>(status);
}

inline std::ostream& operator<<(std::ostream& out, ExitStatus status)
{
    return out << exitCode(status);
}
