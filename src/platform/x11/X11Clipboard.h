#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include <QByteArray>

#include "platform/Clipboard.h"
#include "platform/qt/QtClipboard.h"

struct xcb_connection_t;

namespace platform {

// One format of an X11 selection exactly as its owner handed it over: the target
// asked for, and the type, unit size and bytes of the answer (atoms are the server's).
struct SelectionFormat {
    uint32_t target = 0;
    uint32_t type = 0;
    uint8_t format = 8;
    QByteArray data;
};

// All that a selection held: nobody owned it, this program did (Qt keeps that), or
// another program did, with every format it offered.
struct SelectionSnapshot {
    enum class Owner { Nobody, Program, Other };
    Owner owner = Owner::Nobody;
    std::vector<SelectionFormat> formats;
};

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
    enum class Selection { Clipboard, Primary };

    // `displayName` as Qt opened it; `qtConnection` tells the program's own windows.
    X11Clipboard(QByteArray displayName, xcb_connection_t* qtConnection, Selection selection = Selection::Clipboard);
    ~X11Clipboard() override;
    X11Clipboard(const X11Clipboard&) = delete;
    X11Clipboard& operator=(const X11Clipboard&) = delete;

    ClipboardRead read() override;
    bool setText(const QString& text) override;
    bool setUtf8Text(const QByteArray& utf8) override;

    // The selection's owner window (XCB_NONE: nobody), or nothing when the display did
    // not answer.
    std::optional<uint32_t> owner();
    // Every format the owner offers with its data, by the rules and deadlines of read();
    // nothing when any of them could not be read.
    std::optional<SelectionSnapshot> readAllFormats();

    static constexpr int kRequestTimeoutMs = 5000;
    static constexpr int kReadDeadlineMs = 10000;

private:
    class Connection;
    bool ownedByProgram(uint32_t owner) const;

    QByteArray m_displayName;
    xcb_connection_t* m_qtConnection;
    Selection m_selection;
    std::unique_ptr<Connection> m_connection; // opened on the first read, again after a failure
    QtClipboard m_qt;
    qsizetype m_readLimit;
    bool m_busy = false;
};

} // namespace platform
