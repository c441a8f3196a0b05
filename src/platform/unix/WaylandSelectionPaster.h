#pragma once

#include <QString>

#include <memory>
#include <optional>

class QProcess;

#include "platform/SelectionPaster.h"
#include "platform/unix/WaylandClipboard.h"

namespace platform {

// A wlroots compositor's primary selection, read through its data-control protocol
// (wl-paste), and the result typed over it through its virtual-keyboard protocol
// (wtype); the clipboard is not used. The compositor tells no program which window owns
// a selection: the window that had the focus when the selection last changed stands for
// its owner, and the text goes only to that window, while it still has the focus.
class WaylandSelectionPaster final : public SelectionPaster {
public:
    WaylandSelectionPaster();
    ~WaylandSelectionPaster() override;

    ClipboardRead readSelection() override;
    void pasteOver(const QString& text, std::function<void(Outcome)> done) override;

    static constexpr int kToolDeadlineMs = 2000;
    // Longer texts are left on the clipboard as a tray command leaves them: typing
    // them would take too long.
    static constexpr qsizetype kMostTypedUnits = 64 * 1024;
    static constexpr int kTypingMsPerUnit = 1;

private:
    Outcome paste(const QString& text);
    void selectionChanged();

    WaylandClipboard m_primary;
    std::optional<qint64> m_selectionWindow;
    // Tells of every change of the primary selection, with a line.
    std::unique_ptr<QProcess> m_watch;
    std::optional<qint64> m_focusAtLastChange;
    bool m_askingFocus = false;
    bool m_changedMeanwhile = false;
};

// Whether this session can paste into another program: sway with the typing tool.
bool waylandCanPaste();

} // namespace platform
