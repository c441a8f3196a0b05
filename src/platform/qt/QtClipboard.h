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
    // What a clipboard that offers nothing at all means. Qt on Wayland shows the
    // clipboard only to a program with the keyboard focus, which a tray command never
    // has, and shows nothing otherwise: there nothing is not known to be no text.
    enum class Nothing { NoText, Unreadable };
    // The clipboard, or on X11 the primary selection.
    explicit QtClipboard(Nothing nothing = Nothing::NoText, QClipboard::Mode mode = QClipboard::Clipboard)
        : m_nothing(nothing)
        , m_mode(mode)
    {
    }

    ClipboardRead read() override;
    bool setText(const QString& text) override;
    bool setUtf8Text(const QByteArray& utf8) override;

    static constexpr int kNoAnswerMs = 1500;

private:
    ClipboardRead nothing() const;

    Nothing m_nothing;
    QClipboard::Mode m_mode;
};

} // namespace platform
