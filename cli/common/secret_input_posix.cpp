#include "cli/common/secret_input.h"

#include <cerrno>
#include <csignal>
#include <optional>
#include <termios.h>
#include <unistd.h>
#include <utility>
#include <vector>

#include "platform/fd_io.h"

namespace {

// While echo is off, the signal handlers need the terminal's settings as
// they were and as the prompt wants them, and the prompt itself; all are
// set before the handlers are installed.
struct termios savedTerminal;
struct termios quietTerminal;
std::string_view shownPrompt;

// Signals whose default action ends the program: the terminal is put back
// first. SIGKILL cannot be caught; SIGPIPE is ignored instead, so that a
// prompt that cannot be written is an error like any other.
std::vector<int> endingSignals()
{
    std::vector<int> signals = {SIGHUP,  SIGINT,  SIGQUIT, SIGILL,  SIGTRAP,   SIGABRT,
                                SIGBUS,  SIGFPE,  SIGUSR1, SIGSEGV, SIGUSR2,   SIGALRM,
                                SIGTERM, SIGXCPU, SIGXFSZ, SIGSYS,  SIGVTALRM, SIGPROF};
#ifdef SIGSTKFLT
    signals.push_back(SIGSTKFLT);
#endif
#ifdef SIGPWR
    signals.push_back(SIGPWR);
#endif
#ifdef SIGEMT
    signals.push_back(SIGEMT);
#endif
#ifdef __linux__
    signals.push_back(SIGIO); // ignored by default elsewhere
#endif
#ifdef SIGRTMIN
    for (int signal = SIGRTMIN; signal <= SIGRTMAX; ++signal)
        signals.push_back(signal);
#endif
    return signals;
}

// Signals that stop it (Ctrl-Z, or a read or a change of the terminal from
// the background): the shell gets the terminal back with echo on, and
// echo goes off again once the program continues.
constexpr int StoppingSignals[] = {SIGTSTP, SIGTTIN, SIGTTOU};

// A background job may not change the terminal: the change would stop the
// program again, or alter the terminal of whatever runs in the foreground
// now. A terminal that is not the controlling one (or has hung up) has no
// foreground to ask: the change is made, or fails, harmlessly.
bool inBackground()
{
    const pid_t foreground = ::tcgetpgrp(STDIN_FILENO);
    return foreground != -1 && foreground != ::getpgrp();
}

// Within a handler: the terminal as it was before the prompt, and the
// signal's default action, for it to be raised again.
void restoreTerminalAndDefault(int signal)
{
    if (!inBackground())
        ::tcsetattr(STDIN_FILENO, TCSANOW, &savedTerminal);
    struct sigaction byDefault = {};
    byDefault.sa_handler = SIG_DFL;
    sigemptyset(&byDefault.sa_mask);
    ::sigaction(signal, &byDefault, nullptr);
}

// The handler of the ending signals, which are blocked while it runs: the
// signal raised here ends the program, by its default action, as soon as
// the handler returns.
void restoreTerminalAndReraise(int signal)
{
    restoreTerminalAndDefault(signal);
    ::raise(signal);
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
    restoreTerminalAndDefault(signal);
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
    if (!inBackground()) {
        ::tcsetattr(STDIN_FILENO, TCSANOW, &quietTerminal);
        // The shell has written since the prompt: ask again on a new line.
        const ssize_t ignored = ::write(STDERR_FILENO, shownPrompt.data(), shownPrompt.size());
        (void)ignored;
    }
    errno = savedErrno;
}

// Reads byte by byte up to the LF, so that nothing after the line is taken
// from standard input, and no further than MaxSecretLineBytes. sawLineEnd
// tells whether the line ended with its LF.
SecretRead readOneLine(bool* sawLineEnd = nullptr)
{
    std::string line;
    bool any = false;
    bool ended = false;
    bool tooLong = false;
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
        if (line.size() == MaxSecretLineBytes) {
            tooLong = true;
            break;
        }
        line.push_back(c);
    }
    if (sawLineEnd)
        *sawLineEnd = ended;
    if (tooLong)
        return ReadFailure::TooLong;
    if (!any)
        return ReadFailure::InputEnded;
    return line;
}

// Sets the handler of each signal whose action is its default, and puts
// those actions back when it ends. A signal that is ignored (under nohup)
// or has a handler of its own (a sanitizer's) is left alone.
class DefaultSignalsHandled {
public:
    DefaultSignalsHandled(const std::vector<int>& signals, const struct sigaction& action)
    {
        for (const int signal : signals) {
            struct sigaction current = {};
            if (::sigaction(signal, nullptr, &current) != 0 ||
                (current.sa_flags & SA_SIGINFO) != 0 || current.sa_handler != SIG_DFL)
                continue;
            if (::sigaction(signal, &action, nullptr) == 0)
                replaced_.push_back({signal, current});
        }
    }
    ~DefaultSignalsHandled()
    {
        for (const auto& [signal, action] : replaced_)
            ::sigaction(signal, &action, nullptr);
    }
    DefaultSignalsHandled(const DefaultSignalsHandled&) = delete;
    DefaultSignalsHandled& operator=(const DefaultSignalsHandled&) = delete;

private:
    std::vector<std::pair<int, struct sigaction>> replaced_;
};

// SIGPIPE ignored while it lives: a write to a pipe that nobody reads fails
// instead of ending the program with the terminal's echo off.
class PipeSignalIgnored {
public:
    PipeSignalIgnored()
    {
        struct sigaction ignore = {};
        ignore.sa_handler = SIG_IGN;
        sigemptyset(&ignore.sa_mask);
        ::sigaction(SIGPIPE, &ignore, &previous_);
    }
    ~PipeSignalIgnored() { ::sigaction(SIGPIPE, &previous_, nullptr); }
    PipeSignalIgnored(const PipeSignalIgnored&) = delete;
    PipeSignalIgnored& operator=(const PipeSignalIgnored&) = delete;

private:
    struct sigaction previous_ = {};
};

class PosixSecretInput : public SecretInput {
public:
    bool isTerminal() override { return ::isatty(STDIN_FILENO) == 1; }

    SecretRead readHidden(std::string_view prompt) override
    {
        const PipeSignalIgnored pipeIgnored;
        const bool terminal = ::tcgetattr(STDIN_FILENO, &savedTerminal) == 0;
        std::optional<DefaultSignalsHandled> ending;
        std::optional<DefaultSignalsHandled> stopping;
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
            ending.emplace(endingSignals(), restore);
            stopping.emplace(
                std::vector<int>(std::begin(StoppingSignals), std::end(StoppingSignals)),
                stoppingAction());
            ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quietTerminal);
        }
        // The prompt only once echo is off, so that what is typed after it
        // never shows.
        SecretRead line = ReadFailure::PromptFailed;
        bool sawLineEnd = true;
        if (writeAll(STDERR_FILENO, prompt))
            line = readOneLine(&sawLineEnd);
        if (terminal)
            ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &savedTerminal);
        // The handlers go only now, once the terminal is back.
        stopping.reset();
        ending.reset();
        // Input that ended without a line end (Ctrl-D) left the cursor
        // behind the prompt: what follows starts on a line of its own.
        if (!sawLineEnd)
            writeAll(STDERR_FILENO, "\n");
        return line;
    }

    SecretRead readLine() override { return readOneLine(); }
};

} // namespace

const std::string_view PipedKeyEncodingAdvice;

std::unique_ptr<SecretInput> systemSecretInput()
{
    return std::make_unique<PosixSecretInput>();
}
