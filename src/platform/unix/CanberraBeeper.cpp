#include "platform/unix/CanberraBeeper.h"

#include <QProcess>

#include <cstdio>

namespace platform {

CanberraBeeper::CanberraBeeper(std::function<void()> play, int gapMs)
    : m_play(play ? std::move(play) : std::function<void()>([this] { playBell(); }))
    , m_gapMs(gapMs)
{
    m_next.setSingleShot(true);
    // A coarse timer may fire up to 5% early, and two beeps too close sound as one.
    m_next.setTimerType(Qt::PreciseTimer);
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
    QProcess player;
    player.setProgram(QStringLiteral("canberra-gtk-play"));
    player.setArguments({QStringLiteral("--id=bell"), QStringLiteral("--description=Tovrin")});
    // Without a sound server it complains on every beep, and nothing can be done about
    // that from here: its own words are not passed on.
    player.setStandardOutputFile(QProcess::nullDevice());
    player.setStandardErrorFile(QProcess::nullDevice());
    if (!player.startDetached() && !m_toldPlayerMissing) {
        m_toldPlayerMissing = true;
        std::fprintf(stderr, "tovrin: canberra-gtk-play could not be started, so beeps are silent "
                             "(Debian package gnome-session-canberra)\n");
    }
}

} // namespace platform
