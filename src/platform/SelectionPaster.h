#pragma once

#include <QString>

#include <functional>
#include <memory>

#include "platform/Clipboard.h"

namespace platform {

// The text selected in the focused program, and a paste over it in that same window:
// what converting a selection where it is needs from the desktop.
class SelectionPaster {
public:
    enum class Outcome {
        Pasted,  // the window took the text; the clipboard holds again what it held
        NotSent, // nothing was typed anywhere (the focus moved, or this desktop lets no
                 // program type into another); the clipboard may hold the text
    };

    virtual ~SelectionPaster() = default;

    // The selected text, by the clipboard's rules (text, no text, unreadable). Remembers
    // the window that holds it for pasteOver.
    virtual ClipboardRead readSelection() = 0;
    // Pastes `text` over the selection last read once the keys of the shortcut that
    // asked for it are up, then gives the clipboard back everything it held. `done` is
    // called exactly once, possibly before this returns.
    virtual void pasteOver(const QString& text, std::function<void(Outcome)> done) = 0;
};

// Reads the selection and never pastes: for desktops that let no program type into
// another. The conversion then ends as a tray command does.
class ReadOnlySelection final : public SelectionPaster {
public:
    explicit ReadOnlySelection(std::unique_ptr<Clipboard> selection) : m_selection(std::move(selection)) {}

    ClipboardRead readSelection() override { return m_selection->read(); }
    void pasteOver(const QString&, std::function<void(Outcome)> done) override { done(Outcome::NotSent); }

private:
    std::unique_ptr<Clipboard> m_selection;
};

} // namespace platform
