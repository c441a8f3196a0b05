#pragma once

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

namespace platform {

// Waits for another process while the program's own events run, so that its windows
// keep answering however long that process takes. Whoever is waited for calls wake();
// the wait also ends at the deadline, and when the program leaves its event loops
// (QCoreApplication::exit ends every loop on the stack).
class ResponsiveWait final {
public:
    enum class End { Woken, TimedOut, Abandoned };

    explicit ResponsiveWait(const QDeadlineTimer& deadline);
    ResponsiveWait(const ResponsiveWait&) = delete;
    ResponsiveWait& operator=(const ResponsiveWait&) = delete;

    void wake();
    // Returns at once with Woken when wake() came since the last run.
    End run();
    // Lets the events that are pending run, between two steps of work that does not
    // wait for anyone (Woken when they did).
    End letEventsRun();

private:
    QDeadlineTimer m_deadline;
    QEventLoop m_loop;
    QTimer m_timer;
    bool m_woken = false;
    bool m_timedOut = false;
};

// Held while a read or a write of one clipboard waits: events that run meanwhile may
// ask the same clipboard again, and such a request is refused rather than nested.
class BusyGuard final {
public:
    explicit BusyGuard(bool& busy) : m_busy(busy), m_taken(!busy) { m_busy = true; }
    ~BusyGuard()
    {
        if (m_taken)
            m_busy = false;
    }
    BusyGuard(const BusyGuard&) = delete;
    BusyGuard& operator=(const BusyGuard&) = delete;
    // False when the clipboard was busy already: the caller must not go on.
    bool taken() const { return m_taken; }

private:
    bool& m_busy;
    bool m_taken;
};

} // namespace platform
