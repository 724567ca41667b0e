#include "cli/common/secret_input.h"

#include <cerrno>
#include <csignal>
#include <termios.h>
#include <unistd.h>

#include "platform/fd_io.h"

namespace {

// The terminal's settings while echo is off, for the signal handler that
// puts them back before the signal ends the program.
struct termios savedTerminal;

void restoreTerminalAndReraise(int signal)
{
    ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &savedTerminal);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

// Reads byte by byte up to the LF, so that nothing after the line is taken
// from standard input.
std::optional<std::string> readOneLine()
{
    std::string line;
    bool any = false;
    while (true) {
        char c = 0;
        const ssize_t got = ::read(STDIN_FILENO, &c, 1);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        any = true;
        if (c == '\n')
            break;
        line.push_back(c);
    }
    if (!any)
        return std::nullopt;
    return line;
}

class PosixSecretInput : public SecretInput {
public:
    bool isTerminal() override { return ::isatty(STDIN_FILENO) == 1; }

    std::optional<std::string> readHidden(std::string_view prompt) override
    {
        struct termios quiet;
        const bool terminal = ::tcgetattr(STDIN_FILENO, &savedTerminal) == 0;
        constexpr int Signals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
        struct sigaction previous[std::size(Signals)];
        if (terminal) {
            struct sigaction restore = {};
            restore.sa_handler = restoreTerminalAndReraise;
            sigemptyset(&restore.sa_mask);
            for (std::size_t i = 0; i < std::size(Signals); ++i)
                ::sigaction(Signals[i], &restore, &previous[i]);
            quiet = savedTerminal;
            // Echo off, but the line end still shows; typed-ahead input is
            // dropped rather than taken into the secret.
            quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
            quiet.c_lflag |= ECHONL;
            ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
        }
        // The prompt only once echo is off, so that what is typed after it
        // never shows.
        writeAll(STDERR_FILENO, prompt);
        std::optional<std::string> line = readOneLine();
        if (terminal) {
            ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &savedTerminal);
            for (std::size_t i = 0; i < std::size(Signals); ++i)
                ::sigaction(Signals[i], &previous[i], nullptr);
        }
        return line;
    }

    std::optional<std::string> readLine() override { return readOneLine(); }
};

} // namespace

std::unique_ptr<SecretInput> systemSecretInput()
{
    return std::make_unique<PosixSecretInput>();
}
