#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

#include "platform/Clipboard.h"

namespace platform {

// The clipboard of a Wayland session, through the compositor's data-control protocol
// as Debian's wl-clipboard tools speak it. A program that runs through XWayland sees
// the Wayland clipboard only when the compositor bridges it, and wlroots compositors
// do that only while an X11 window has the keyboard focus, which a tray command never
// has.
//
// A read lists the offered types, then takes the best text type whole; it ends within
// the read deadline whatever the owner does, and the program's events run while it
// waits. A refusal (no bytes for a listed text type), a failure, a late owner, more
// bytes than a read may take, or bytes that are not text in the type's encoding count
// as unavailable: never as empty text, never decoded with replacement characters. A
// read or write asked for while one waits is refused.
class WaylandClipboard final : public Clipboard {
public:
    static constexpr int kReadDeadlineMs = 10000;
    static constexpr int kWriteDeadlineMs = 10000;

    enum class Selection { Clipboard, Primary };

    struct Tools {
        QString paste = QStringLiteral("wl-paste");
        QString copy = QStringLiteral("wl-copy");
        // Whether the compositor answers with data control; by default asked of it.
        std::function<bool()> compositorAnswers = {};
        Selection selection = Selection::Clipboard;
    };
    struct Limits {
        int readDeadlineMs = kReadDeadlineMs;
        int writeDeadlineMs = kWriteDeadlineMs;
        qsizetype readBytes = 0; // 0: clipboardReadLimit()
    };

    WaylandClipboard();
    explicit WaylandClipboard(Tools tools);
    WaylandClipboard(Tools tools, Limits limits);

    ClipboardRead read() override;
    bool setText(const QString& text) override;
    bool setUtf8Text(const QByteArray& utf8) override;

private:
    Tools m_tools;
    Limits m_limits;
    bool m_busy = false;
    QStringList m_selection; // the tools' option that picks the primary selection, or none
};

// Whether the session's compositor offers a data-control protocol (wlroots', or the
// standard one), so a program without focus may read and write its clipboard. A
// compositor that does not answer within kCompositorAnswerMs offers nothing.
inline constexpr int kCompositorAnswerMs = 1000;
bool waylandHasDataControl();

} // namespace platform
