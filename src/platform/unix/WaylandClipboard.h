#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "platform/Clipboard.h"

namespace platform {

// The clipboard of a Wayland session, through the compositor's data-control protocol
// as Debian's wl-clipboard tools speak it. A program that runs through XWayland sees
// the Wayland clipboard only when the compositor bridges it, and wlroots compositors
// do that only while an X11 window has the keyboard focus, which a tray command never
// has.
//
// A read lists the offered types, then takes the best text type whole; it ends within
// kReadDeadlineMs whatever the owner does. A refusal (no bytes for a listed text type),
// a failure, a late owner, or bytes that are not text in the type's encoding count as
// unavailable: never as empty text, never decoded with replacement characters.
class WaylandClipboard final : public Clipboard {
public:
    static constexpr int kReadDeadlineMs = 10000;
    static constexpr int kWriteDeadlineMs = 10000;

    enum class Selection { Clipboard, Primary };

    explicit WaylandClipboard(QString pasteProgram = QStringLiteral("wl-paste"),
                              QString copyProgram = QStringLiteral("wl-copy"), int readDeadlineMs = kReadDeadlineMs,
                              int writeDeadlineMs = kWriteDeadlineMs, Selection selection = Selection::Clipboard);

    ClipboardRead read() override;
    bool setText(const QString& text) override;

private:
    QString m_paste;
    QString m_copy;
    int m_readDeadlineMs;
    int m_writeDeadlineMs;
    QStringList m_selection; // the tools' option that picks the primary selection, or none
};

// Whether the session's compositor offers a data-control protocol (wlroots', or the
// standard one), so a program without focus may read and write its clipboard.
bool waylandHasDataControl();

} // namespace platform
