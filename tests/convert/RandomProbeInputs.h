#pragma once

#include <QStringList>

// Texts converted, in this order, by the probe program and by the test that
// compares its runs. The long line appears twice: the sequence must continue
// from one call to the next, not restart.
inline QStringList randomProbeInputs()
{
    const QString longLine = QStringLiteral("the quick brown fox jumps over the lazy dog 0123456789");
    return {
        QStringLiteral("rAnDOm"),
        longLine,
        longLine,
        QStringLiteral("line one\r\nLINE TWO\r\n"),
        QString::fromUtf8("Ärger über Öl, straße, ΟΔΟΣ σοφίας, Москва"),
        QString::fromUtf8("\U00010400\U00010428 deseret \U0001E900 adlam \U0001F600"),
        QString(),
        QStringLiteral("a") + QChar(0xD800) + QStringLiteral("b"),
    };
}

// One line per converted text: its UTF-16 code units in hex, so line breaks and
// lone surrogates survive the trip through a pipe.
inline QByteArray encodeProbeLine(const QString& text)
{
    return QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2).toHex() + '\n';
}
