// The ending signals through a self-pipe: the handler only writes a byte,
// and a QSocketNotifier on the other end reports it in the event loop.

#include "ui/end_signals.h"

#include <QSocketNotifier>

#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr std::array<int, 3> EndingSignals{SIGTERM, SIGHUP, SIGINT};

// The pipe's write end, for the handler; -1 while nothing listens.
volatile sig_atomic_t writeEnd = -1;

void onEndingSignal(int)
{
    const int savedErrno = errno;
    const char byte = 1;
    // A full pipe already holds a wake-up: the byte may be dropped.
    [[maybe_unused]] const ssize_t written = ::write(writeEnd, &byte, 1);
    errno = savedErrno;
}

} // namespace

struct EndSignals::Handlers {
    int pipe[2] = {-1, -1};
    std::array<struct sigaction, EndingSignals.size()> before{};
    std::array<bool, EndingSignals.size()> installed{};
};

EndSignals::EndSignals() : handlers_(std::make_unique<Handlers>())
{
    Handlers& h = *handlers_;
    if (::pipe(h.pipe) != 0)
        return; // the signals keep ending the program at once
    for (const int fd : h.pipe) {
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    }
    writeEnd = h.pipe[1];
    auto* notifier = new QSocketNotifier(h.pipe[0], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this] {
        char bytes[16];
        while (::read(handlers_->pipe[0], bytes, sizeof bytes) > 0) {
        }
        emit received();
    });

    struct sigaction action {};
    action.sa_handler = onEndingSignal;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (const int signal : EndingSignals)
        sigaddset(&action.sa_mask, signal);
    for (std::size_t i = 0; i < EndingSignals.size(); ++i) {
        if (::sigaction(EndingSignals[i], nullptr, &h.before[i]) != 0 ||
            h.before[i].sa_handler == SIG_IGN)
            continue;
        h.installed[i] = ::sigaction(EndingSignals[i], &action, nullptr) == 0;
    }
}

EndSignals::~EndSignals()
{
    Handlers& h = *handlers_;
    for (std::size_t i = 0; i < EndingSignals.size(); ++i)
        if (h.installed[i])
            ::sigaction(EndingSignals[i], &h.before[i], nullptr);
    writeEnd = -1;
    for (const int fd : h.pipe)
        if (fd >= 0)
            ::close(fd);
}
