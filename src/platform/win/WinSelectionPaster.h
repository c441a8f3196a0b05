#pragma once

#include <memory>

#include "platform/SelectionPaster.h"

namespace platform {

// Windows has no primary selection: the selection is what Ctrl+C sent to the focused
// window puts on the clipboard (seen by its sequence number). The text goes back with
// Ctrl+V to that window only; the clipboard renders it when the window asks, and then
// gets back every format it held before the Ctrl+C.
class WinSelectionPaster final : public SelectionPaster {
public:
    WinSelectionPaster();
    ~WinSelectionPaster() override;

    ClipboardRead readSelection() override;
    void pasteOver(const QString& text, std::function<void(Outcome)> done) override;

    class Session;

private:
    void* m_owner = nullptr;  // the message-only window that owns our clipboard data
    void* m_window = nullptr; // the focused window whose selection was copied
    std::unique_ptr<Session> m_session;
};

} // namespace platform
