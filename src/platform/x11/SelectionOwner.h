#pragma once

#include <QByteArray>
#include <QSocketNotifier>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

#include "platform/x11/X11Clipboard.h"

struct xcb_connection_t;

namespace platform::x11 {

// Holds the X11 clipboard on a connection of its own and hands its formats, exactly
// as given (target, type, unit size, bytes), to whoever asks, until another program
// takes the clipboard. Serving runs from the event loop.
class SelectionOwner final {
public:
    // Opens its own connection to `displayName`; check opened().
    explicit SelectionOwner(const QByteArray& displayName);
    ~SelectionOwner();
    SelectionOwner(const SelectionOwner&) = delete;
    SelectionOwner& operator=(const SelectionOwner&) = delete;

    bool opened() const;
    xcb_connection_t* connection() const { return m_c; }
    uint32_t root() const { return m_root; }
    uint32_t atom(const char* name);

    // Takes the clipboard with these formats; false when the server did not give it.
    bool own(std::vector<SelectionFormat> formats);
    // The formats of a text, as programs ask for it.
    std::vector<SelectionFormat> textFormats(const QString& text);
    // Lets the clipboard go empty, if it is still ours.
    void release();
    bool owns() const { return m_owning; }
    // Called when a program took a text or data format (not just the list of them).
    std::function<void()> onDataTaken;

    // Serves what has arrived; call after waiting for a reply on connection().
    void dispatchPending();

private:
    void handle(const void* event);
    void answer(const void* request);
    uint32_t serverTime();

    xcb_connection_t* m_c = nullptr;
    uint32_t m_root = 0;
    uint32_t m_window = 0;
    uint32_t m_clipboard = 0;
    uint32_t m_targets = 0;
    uint32_t m_timestamp = 0;
    uint32_t m_time = 0;
    bool m_owning = false;
    std::vector<SelectionFormat> m_formats;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace platform::x11
