#include "platform/qt/QtClipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace platform {

ClipboardRead QtClipboard::read()
{
    const QMimeData* data = QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
    if (!data)
        return {ClipboardRead::Status::Unavailable, {}};
    if (!data->hasText())
        return {ClipboardRead::Status::NoText, {}};
    return {ClipboardRead::Status::Text, data->text()};
}

bool QtClipboard::clear()
{
    QGuiApplication::clipboard()->clear(QClipboard::Clipboard);
    return true;
}

bool QtClipboard::setText(const QString& text)
{
    QGuiApplication::clipboard()->setText(text, QClipboard::Clipboard);
    return true;
}

} // namespace platform
