#pragma once

#include <QString>

#include <optional>

#include "platform/SelectionPaster.h"
#include "platform/unix/WaylandClipboard.h"

namespace platform {

// A wlroots compositor's primary selection, read through its data-control protocol
// (wl-paste), and the result typed over it through its virtual-keyboard protocol
// (wtype); the clipboard is not used. The compositor tells no program which one owns a
// selection, so the text goes only where sway's focus stayed on the window that had the
// focus when the selection was read (which may not be the selection's own).
class WaylandSelectionPaster final : public SelectionPaster {
public:
    WaylandSelectionPaster();

    ClipboardRead readSelection() override;
    void pasteOver(const QString& text, std::function<void(Outcome)> done) override;

    static constexpr int kToolDeadlineMs = 2000;
    // Longer texts are left on the clipboard as a tray command leaves them: typing
    // them would take too long.
    static constexpr qsizetype kMostTypedUnits = 64 * 1024;
    static constexpr int kTypingMsPerUnit = 1;

private:
    Outcome paste(const QString& text);

    WaylandClipboard m_primary;
    std::optional<qint64> m_selectionWindow;
};

// Whether this session can paste into another program: sway with the typing tool.
bool waylandCanPaste();

} // namespace platform
