#pragma once

#include <QString>

#include <optional>

#include "platform/SelectionPaster.h"
#include "platform/unix/WaylandClipboard.h"

namespace platform {

// A wlroots compositor's primary selection, read through its data-control protocol
// (wl-paste), and the paste sent through its virtual-keyboard protocol (wtype). The
// compositor tells no program which one owns a selection, so the paste goes only where
// sway's focus stayed on the window that had it when the selection was read. The
// clipboard gets back the format that matters of what it held (a picture, or the
// text): wl-copy serves one format at a time.
class WaylandSelectionPaster final : public SelectionPaster {
public:
    WaylandSelectionPaster();

    ClipboardRead readSelection() override;
    void pasteOver(const QString& text, std::function<void(Outcome)> done) override;

    static constexpr int kToolDeadlineMs = 2000;
    static constexpr int kTakeWaitMs = 1000;

private:
    Outcome paste(const QString& text);

    WaylandClipboard m_primary;
    std::optional<qint64> m_selectionWindow;
};

// Whether this session can paste into another program: sway with the typing tool.
bool waylandCanPaste();

} // namespace platform
