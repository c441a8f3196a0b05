#include "ui/widgets/OutlinedBox.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionGroupBox>

#include "ui/widgets/IndicatorStyle.h"

OutlinedBox::OutlinedBox(const QString& title, QWidget* parent)
    : QGroupBox(title, parent)
{
}

OutlinedBox::OutlinedBox(QWidget* parent)
    : OutlinedBox(QString(), parent)
{
}

QRect OutlinedBox::titleRect() const
{
    if (title().isEmpty())
        return QRect();
    QStyleOptionGroupBox option;
    initStyleOption(&option);
    QRect title = style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, this);
    // Clear of the corner, so that the left line runs down whole from the top one.
    const int indent = fontMetrics().averageCharWidth();
    if (title.left() < indent)
        title.moveLeft(indent);
    return title;
}

QRect OutlinedBox::lineRect() const
{
    const QRect title = titleRect();
    QRect lines = rect();
    if (title.isValid())
        lines.setTop(title.center().y());
    return lines;
}

QColor OutlinedBox::lineColour() const
{
    return midwayColour(palette().color(backgroundRole()), palette().color(foregroundRole()));
}

void OutlinedBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect title = titleRect();
    // The title interrupts the top line.
    QRegion lines(rect());
    if (title.isValid())
        lines -= title.adjusted(-2, 0, 2, 0);
    painter.setClipRegion(lines);
    painter.setPen(lineColour());
    painter.drawRect(lineRect().adjusted(0, 0, -1, -1));
    painter.setClipping(false);
    if (title.isValid())
        style()->drawItemText(&painter, title, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic, palette(),
                              isEnabled(), QGroupBox::title(), foregroundRole());
}
