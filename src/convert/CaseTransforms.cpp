#include "convert/CaseTransforms.h"

#include <QCoreApplication>
#include <QRandomGenerator>

#include "platform/Services.h"

// Interim implementation; the real mapping and generator replace it.
QString UpperCaseText(const QString& text)
{
    QString out = text;
    for (QChar& c : out)
        c = c.toUpper();
    return out;
}

QString LowerCaseText(const QString& text)
{
    QString out = text;
    for (QChar& c : out)
        c = c.toLower();
    return out;
}

QString RandomCaseText(const QString& text)
{
    QString out;
    for (QChar c : text) {
        const bool upper = QRandomGenerator::global()->bounded(2) == 0;
        QCoreApplication::processEvents();
        out.append(upper ? c.toUpper() : c.toLower());
    }
    return out;
}

bool RandomCaseToClipboard(const QString& text)
{
    const QString result = RandomCaseText(text);
    platform::clipboard().clear();
    return platform::clipboard().setText(result);
}
