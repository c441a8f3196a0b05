#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QTimer>

#include <functional>

#include "platform/Beeper.h"

namespace platform {

// Beeps as the desktop's "bell" sound: a Wayland session has no X bell to ring
// (XWayland's is silent). Beeps asked for in a row play one after another, so that two
// are heard as two.
class CanberraBeeper final : public QObject, public Beeper {
    Q_OBJECT
public:
    static constexpr int kGapMs = 250;

    // `play` plays the sound once without waiting for it; by default it runs Debian's
    // canberra-gtk-play.
    explicit CanberraBeeper(std::function<void()> play = {}, int gapMs = kGapMs);

    void beep() override;

private:
    void playNext();
    void playBell();

    std::function<void()> m_play;
    QTimer m_next;
    QElapsedTimer m_sincePlayed;
    int m_pending = 0;
    int m_gapMs;
    bool m_toldPlayerMissing = false;
};

} // namespace platform
