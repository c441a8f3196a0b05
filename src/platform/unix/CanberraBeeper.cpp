#include "platform/unix/CanberraBeeper.h"

#include <QProcess>

namespace platform {

CanberraBeeper::CanberraBeeper(std::function<void()> play, int gapMs)
    : m_play(play ? std::move(play) : std::function<void()>(&CanberraBeeper::playBell))
    , m_gapMs(gapMs)
{
    m_next.setSingleShot(true);
    connect(&m_next, &QTimer::timeout, this, &CanberraBeeper::playNext);
}

void CanberraBeeper::beep()
{
    ++m_pending;
    if (m_next.isActive())
        return;
    const qint64 since = m_sincePlayed.isValid() ? m_sincePlayed.elapsed() : m_gapMs;
    if (since >= m_gapMs)
        playNext();
    else
        m_next.start(int(m_gapMs - since));
}

void CanberraBeeper::playNext()
{
    if (m_pending == 0)
        return;
    --m_pending;
    m_play();
    m_sincePlayed.start();
    if (m_pending > 0)
        m_next.start(m_gapMs);
}

void CanberraBeeper::playBell()
{
    QProcess::startDetached(QStringLiteral("canberra-gtk-play"),
                            {QStringLiteral("--id=bell"), QStringLiteral("--description=Tovrin")});
}

} // namespace platform
