#pragma once

#include <QByteArray>
#include <QString>

namespace platform {

// What a clipboard read found. "No text" (a picture, files, nothing) is not the
// empty text, and neither is a clipboard that could not be read at all.
struct ClipboardRead {
    enum class Status { Text, NoText, Unavailable };
    Status status = Status::NoText;
    QString text;
    // Unavailable for good: asking again at once cannot help (the owner offered more
    // than a read may take, or this program is still waiting for an earlier read).
    bool final = false;

    bool hasText() const { return status == Status::Text; }
    // The text a plain "get the clipboard's text" yields: empty when there is none.
    QString textOrEmpty() const { return hasText() ? text : QString(); }
};

class Clipboard {
public:
    virtual ~Clipboard() = default;
    virtual ClipboardRead read() = 0;
    // Replaces everything the clipboard holds; false when it could not be taken over.
    virtual bool setText(const QString& text) = 0;
    // The same, the text already in UTF-8, the form the desktops' clipboards hand out:
    // a long text need then never be held as a string and as bytes at once.
    virtual bool setUtf8Text(const QByteArray& utf8) { return setText(QString::fromUtf8(utf8)); }
};

} // namespace platform
