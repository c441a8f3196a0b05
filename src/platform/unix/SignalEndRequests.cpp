#include "platform/EndRequests.h"

#include <QSocketNotifier>

#include <cerrno>
#include <iterator>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};

// The one thing a signal handler may reach: the pipe's end it writes a byte to.
volatile sig_atomic_t g_wakeFd = -1;

void onSignal(int)
{
    const int saved = errno;
    const char byte = 1;
    // A full pipe already holds a request: nothing is lost.
    [[maybe_unused]] const ssize_t written = ::write(g_wakeFd, &byte, 1);
    errno = saved;
}

// Signals become bytes in a pipe (async-signal-safe), the pipe a notifier's event.
class SignalEndRequests final : public EndRequests {
public:
    SignalEndRequests(int readFd, int writeFd)
        : m_readFd(readFd), m_writeFd(writeFd), m_notifier(readFd, QSocketNotifier::Read)
    {
        g_wakeFd = writeFd;
        connect(&m_notifier, &QSocketNotifier::activated, this, [this] {
            char bytes[64];
            while (::read(m_readFd, bytes, sizeof bytes) > 0) {
            }
            emit endRequested();
        });
        struct sigaction action {};
        action.sa_handler = onSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        for (size_t i = 0; i < std::size(kSignals); ++i)
            sigaction(kSignals[i], &action, &m_previous[i]);
    }

    ~SignalEndRequests() override
    {
        for (size_t i = 0; i < std::size(kSignals); ++i)
            sigaction(kSignals[i], &m_previous[i], nullptr);
        g_wakeFd = -1;
        ::close(m_readFd);
        ::close(m_writeFd);
    }

private:
    int m_readFd;
    int m_writeFd;
    QSocketNotifier m_notifier;
    struct sigaction m_previous[std::size(kSignals)] {};
};

} // namespace

std::unique_ptr<EndRequests> watchEndRequests()
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0)
        return std::make_unique<EndRequests>();
    return std::make_unique<SignalEndRequests>(fds[0], fds[1]);
}

} // namespace platform
