#pragma once

#include <memory>

#include <QByteArray>

#include "platform/Clipboard.h"
#include "platform/qt/QtClipboard.h"

struct xcb_connection_t;

namespace platform {

// The clipboard of an X11 display.
//
// Reading asks the clipboard's owner itself, on a connection of this class's own (Qt
// reads every event of its connection on a thread of its own, and its clipboard can
// neither tell a refusal from empty text nor bound a whole read). One read asks for the
// owner's formats, then for its best text, taken whole or incrementally (INCR). Each
// answer may take up to kRequestTimeoutMs, and the read as a whole ends at
// kReadDeadlineMs whatever the owner does: then, and when the owner refuses or hands
// over bytes that are not text in the encoding it declared, or hands over more than
// clipboardReadLimit() in all, the clipboard counts as unavailable. The program's events
// run while the read waits; a read asked for meanwhile is refused (unavailable).
//
// The program's own text, and writing, go through Qt's clipboard.
class X11Clipboard final : public Clipboard {
public:
    // `displayName` as Qt opened it; `qtConnection` tells the program's own windows.
    X11Clipboard(QByteArray displayName, xcb_connection_t* qtConnection);
    ~X11Clipboard() override;
    X11Clipboard(const X11Clipboard&) = delete;
    X11Clipboard& operator=(const X11Clipboard&) = delete;

    ClipboardRead read() override;
    bool setText(const QString& text) override;

    static constexpr int kRequestTimeoutMs = 5000;
    static constexpr int kReadDeadlineMs = 10000;

private:
    class Connection;

    QByteArray m_displayName;
    xcb_connection_t* m_qtConnection;
    std::unique_ptr<Connection> m_connection; // opened on the first read, again after a failure
    QtClipboard m_qt;
    qsizetype m_readLimit;
    bool m_busy = false;
};

} // namespace platform
