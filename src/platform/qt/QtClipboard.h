#pragma once

#include <QClipboard>

#include "platform/Clipboard.h"

namespace platform {

// The system clipboard through QClipboard: the backend wherever the program has no
// reader of its own for the platform (Windows, the offscreen platform), and the way to
// the program's own text and to writing on X11.
//
// Reading asks the owner at most once for its formats and once for the text, so a
// program that holds the clipboard without answering costs one platform time-out
// (on X11 five seconds per request), never several. Qt does not report that time-out:
// an empty answer that took this long is taken as "no answer" (Unavailable) rather
// than "no text".
//
// Writing hands the new text over in one step (as UTF-8) and checks afterwards, with
// the platform, that the program really became the clipboard's owner.
class QtClipboard final : public Clipboard {
public:
    // The clipboard, or on X11 the primary selection.
    explicit QtClipboard(QClipboard::Mode mode = QClipboard::Clipboard) : m_mode(mode) {}

    ClipboardRead read() override;
    bool setText(const QString& text) override;

    static constexpr int kNoAnswerMs = 1500;

private:
    QClipboard::Mode m_mode;
};

} // namespace platform
