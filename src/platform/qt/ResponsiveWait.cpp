#include "platform/qt/ResponsiveWait.h"

namespace platform {

ResponsiveWait::ResponsiveWait(const QDeadlineTimer& deadline) : m_deadline(deadline)
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_timer, &QTimer::timeout, &m_loop, [this] {
        m_timedOut = true;
        m_loop.exit();
    });
}

void ResponsiveWait::wake()
{
    m_woken = true;
    m_loop.exit();
}

ResponsiveWait::End ResponsiveWait::run()
{
    if (!m_woken) {
        if (m_deadline.hasExpired())
            return End::TimedOut;
        m_timer.start(int(std::min<qint64>(m_deadline.remainingTime(), 1 << 30)));
        // Returns -1 at once once the program has left its event loops for good.
        m_loop.exec();
        m_timer.stop();
    }
    if (m_woken) {
        m_woken = false;
        return End::Woken;
    }
    return m_timedOut || m_deadline.hasExpired() ? End::TimedOut : End::Abandoned;
}

ResponsiveWait::End ResponsiveWait::letEventsRun()
{
    if (m_deadline.hasExpired())
        return End::TimedOut;
    QTimer::singleShot(0, &m_loop, [this] { wake(); });
    return run();
}

} // namespace platform
