#include "cli/common/secret_input.h"

#include <cerrno>
#include <csignal>
#include <termios.h>
#include <unistd.h>

#include "platform/fd_io.h"

namespace {

// While echo is off, the signal handlers need the terminal's settings as
// they were and as the prompt wants them, and the prompt itself; all are
// set before the handlers are installed.
struct termios savedTerminal;
struct termios quietTerminal;
std::string_view shownPrompt;

// Signals that end the program: the terminal is put back first.
constexpr int EndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
// Signals that stop it (Ctrl-Z, or a read or a change of the terminal from
// the background): the shell gets the terminal back with echo on, and
// echo goes off again once the program continues.
constexpr int StoppingSignals[] = {SIGTSTP, SIGTTIN, SIGTTOU};

// Only the foreground may change the terminal: from the background the
// change would stop the program again, or alter the terminal of whatever
// runs in the foreground now.
bool inForeground()
{
    return ::tcgetpgrp(STDIN_FILENO) == ::getpgrp();
}

void restoreTerminalAndReraise(int signal)
{
    ::tcsetattr(STDIN_FILENO, TCSANOW, &savedTerminal);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void stopWithTerminalRestored(int signal);

struct sigaction stoppingAction()
{
    struct sigaction action = {};
    action.sa_handler = stopWithTerminalRestored;
    // No stop within a stop; no SA_RESTART, so that the read sees EINTR
    // and simply reads on.
    sigemptyset(&action.sa_mask);
    for (const int other : StoppingSignals)
        sigaddset(&action.sa_mask, other);
    return action;
}

// Puts the terminal back, stops as the signal's default would, and on
// continuing turns echo off again and shows the prompt anew. The stop
// happens within the handler, so that echo is also off again when the
// kernel discards the stop (a process group without a shell to continue
// it).
void stopWithTerminalRestored(int signal)
{
    const int savedErrno = errno;
    if (inForeground())
        ::tcsetattr(STDIN_FILENO, TCSANOW, &savedTerminal);

    struct sigaction stop = {};
    stop.sa_handler = SIG_DFL;
    sigemptyset(&stop.sa_mask);
    ::sigaction(signal, &stop, nullptr);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signal);
    ::sigprocmask(SIG_UNBLOCK, &only, nullptr);
    ::raise(signal); // stopped here until SIGCONT
    ::sigprocmask(SIG_BLOCK, &only, nullptr);
    const struct sigaction again = stoppingAction();
    ::sigaction(signal, &again, nullptr);

    // Continued: in the background the terminal is not ours; a read from
    // there stops the program again, and echo goes off once it is back.
    if (inForeground()) {
        ::tcsetattr(STDIN_FILENO, TCSANOW, &quietTerminal);
        // The shell has written since the prompt: ask again on a new line.
        const ssize_t ignored = ::write(STDERR_FILENO, shownPrompt.data(), shownPrompt.size());
        (void)ignored;
    }
    errno = savedErrno;
}

// Reads byte by byte up to the LF, so that nothing after the line is taken
// from standard input. sawLineEnd tells whether the line ended with its LF
// rather than with the input.
std::optional<std::string> readOneLine(bool* sawLineEnd = nullptr)
{
    std::string line;
    bool any = false;
    bool ended = false;
    while (true) {
        char c = 0;
        const ssize_t got = ::read(STDIN_FILENO, &c, 1);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        any = true;
        if (c == '\n') {
            ended = true;
            break;
        }
        line.push_back(c);
    }
    if (sawLineEnd)
        *sawLineEnd = ended;
    if (!any)
        return std::nullopt;
    return line;
}

class PosixSecretInput : public SecretInput {
public:
    bool isTerminal() override { return ::isatty(STDIN_FILENO) == 1; }

    std::optional<std::string> readHidden(std::string_view prompt) override
    {
        const bool terminal = ::tcgetattr(STDIN_FILENO, &savedTerminal) == 0;
        struct sigaction previousEnding[std::size(EndingSignals)];
        struct sigaction previousStopping[std::size(StoppingSignals)];
        if (terminal) {
            quietTerminal = savedTerminal;
            // Echo off, but the line end still shows; typed-ahead input is
            // dropped rather than taken into the secret.
            quietTerminal.c_lflag &= ~static_cast<tcflag_t>(ECHO);
            quietTerminal.c_lflag |= ECHONL;
            shownPrompt = prompt;

            struct sigaction restore = {};
            restore.sa_handler = restoreTerminalAndReraise;
            sigemptyset(&restore.sa_mask);
            for (std::size_t i = 0; i < std::size(EndingSignals); ++i)
                ::sigaction(EndingSignals[i], &restore, &previousEnding[i]);
            const struct sigaction stop = stoppingAction();
            for (std::size_t i = 0; i < std::size(StoppingSignals); ++i)
                ::sigaction(StoppingSignals[i], &stop, &previousStopping[i]);
            ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quietTerminal);
        }
        // The prompt only once echo is off, so that what is typed after it
        // never shows.
        writeAll(STDERR_FILENO, prompt);
        bool sawLineEnd = false;
        std::optional<std::string> line = readOneLine(&sawLineEnd);
        if (terminal) {
            ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &savedTerminal);
            for (std::size_t i = 0; i < std::size(StoppingSignals); ++i)
                ::sigaction(StoppingSignals[i], &previousStopping[i], nullptr);
            for (std::size_t i = 0; i < std::size(EndingSignals); ++i)
                ::sigaction(EndingSignals[i], &previousEnding[i], nullptr);
        }
        // Input that ended without a line end (Ctrl-D) left the cursor
        // behind the prompt: what follows starts on a line of its own.
        if (!sawLineEnd)
            writeAll(STDERR_FILENO, "\n");
        return line;
    }

    std::optional<std::string> readLine() override { return readOneLine(); }
};

} // namespace

std::unique_ptr<SecretInput> systemSecretInput()
{
    return std::make_unique<PosixSecretInput>();
}
