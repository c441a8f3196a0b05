#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QMimeData>
#include <QTimer>

#include <memory>
#include <optional>

#include "platform/SelectionPaster.h"
#include "platform/x11/SelectionOwner.h"
#include "platform/x11/X11Clipboard.h"

struct xcb_connection_t;

namespace platform {

// The selection of an X11 display is the PRIMARY selection, read as the clipboard is.
// The paste is Ctrl+V sent through the XTest extension to the window that has the
// focus, only when that is the window that had it when the selection was read and its
// program owns the selection. Meanwhile the clipboard holds the text (served by a
// connection of our own, so we see when the window takes it), and afterwards every
// format it held before, byte for byte.
class X11SelectionPaster final : public SelectionPaster {
public:
    X11SelectionPaster(QByteArray displayName, xcb_connection_t* qtConnection);
    ~X11SelectionPaster() override;

    ClipboardRead readSelection() override;
    void pasteOver(const QString& text, std::function<void(Outcome)> done) override;

    // How long the keys of the shortcut may stay down, and how long the window has to
    // ask for the text once the paste key was sent.
    static constexpr int kKeysUpWaitMs = 1000;
    static constexpr int kTakeWaitMs = 1500;

private:
    enum class Phase { Idle, KeysDown, Pasting };

    void step();
    void pasteNow();
    void giveClipboardBack();
    void finish(Outcome outcome);
    uint32_t focusedWindow();
    bool keysDown();
    bool sendPasteKey();
    bool sameProgram(uint32_t a, uint32_t b) const;

    xcb_connection_t* m_qtConnection;
    X11Clipboard m_primary;
    X11Clipboard m_clipboard;
    QByteArray m_displayName;
    std::unique_ptr<x11::SelectionOwner> m_owner;
    uint32_t m_activeWindowAtom = 0;
    uint32_t m_selectionWindow = 0; // focused when the selection was read; 0: paste nowhere

    Phase m_phase = Phase::Idle;
    QString m_text;
    std::function<void(Outcome)> m_done;
    std::optional<SelectionSnapshot> m_before;
    std::unique_ptr<QMimeData> m_programBefore;
    bool m_taken = false;
    QTimer m_poll;
    QElapsedTimer m_clock;
};

} // namespace platform
