#include "platform/qt/QtClipboard.h"

#include <QClipboard>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QMimeData>
#include <QStringDecoder>

namespace platform {

namespace {

const QString kPlainText = QStringLiteral("text/plain");
const QString kUtf8Text = QStringLiteral("text/plain;charset=utf-8");

ClipboardRead unavailable()
{
    return {ClipboardRead::Status::Unavailable, {}};
}

ClipboardRead noText()
{
    return {ClipboardRead::Status::NoText, {}};
}

} // namespace

ClipboardRead QtClipboard::read()
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    const QMimeData* data = clipboard->mimeData(m_mode);
    // Where the toolkit keeps the clipboard itself, an empty one has no data at all.
    if (!data)
        return nothing();

    // The owner's list of formats: the first request that can hang. Qt caches the
    // list once it has one, so the calls below do not ask again.
    QElapsedTimer timer;
    timer.start();
    const QStringList formats = data->formats();
    if (formats.isEmpty()) {
        // Nobody owning the clipboard answers at once; an owner that never answers
        // yields the same empty list, only after the platform's time-out.
        return timer.elapsed() >= kNoAnswerMs ? unavailable() : nothing();
    }

    // Plain text only: a list of files or a picture is not text, even where Qt would
    // offer the file names as text.
    const bool utf8 = formats.contains(kUtf8Text);
    if (!utf8 && !formats.contains(kPlainText))
        return noText();

    // Exactly one request for the text. QMimeData::text() would try the UTF-8 format
    // and then plain text, two time-outs when the owner stops answering in between.
    timer.restart();
    QString text;
    if (utf8) {
        // Bytes that are not UTF-8 are not this text: the owner's text is taken exactly
        // or not at all.
        QStringDecoder decoder(QStringDecoder::Utf8,
                               QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
        text = decoder.decode(data->data(kUtf8Text));
        if (decoder.hasError())
            return unavailable();
    } else {
        text = data->text();
    }
    if (text.isEmpty() && timer.elapsed() >= kNoAnswerMs)
        return unavailable();
    return {ClipboardRead::Status::Text, std::move(text)};
}

ClipboardRead QtClipboard::nothing() const
{
    return m_nothing == Nothing::Unreadable ? unavailable() : noText();
}

bool QtClipboard::setText(const QString& text)
{
    return setUtf8Text(text.toUtf8());
}

bool QtClipboard::setUtf8Text(const QByteArray& utf8)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    auto* data = new QMimeData;
    // Kept as UTF-8, the form other programs ask for: no conversion per request, and
    // half the memory of the string for mostly Latin text.
    data->setData(kPlainText, utf8);
    clipboard->setMimeData(data, m_mode);
    // Asks the platform who owns the clipboard now (on X11 the server, on Windows the
    // system clipboard): our own data comes back only when taking it over worked.
    return clipboard->mimeData(m_mode) == data;
}

} // namespace platform
