#include "ui/widgets/IndicatorStyle.h"

#include <QApplication>
#include <QPainter>
#include <QStyleOption>

#include "ui/widgets/DeferredIconStyle.h"

QColor midwayColour(const QColor& a, const QColor& b)
{
    return QColor((a.red() + b.red()) / 2, (a.green() + b.green()) / 2, (a.blue() + b.blue()) / 2);
}

IndicatorStyle::IndicatorStyle()
    : QProxyStyle(applicationStyleName())
{
}

void IndicatorStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                                   const QWidget* widget) const
{
    QProxyStyle::drawPrimitive(element, option, painter, widget);
    const bool check = element == PE_IndicatorCheckBox;
    if (!check && element != PE_IndicatorRadioButton)
        return;
    const QColor back = option->palette.color(QPalette::Window);
    const QColor text = option->palette.color(QPalette::WindowText);
    painter->save();
    painter->setBrush(Qt::NoBrush);
    painter->setPen(QPen(midwayColour(back, text), 1));
    if (check) {
        painter->setRenderHint(QPainter::Antialiasing, false);
        painter->drawRect(option->rect.adjusted(0, 0, -1, -1));
    } else {
        painter->setRenderHint(QPainter::Antialiasing, true);
        painter->drawEllipse(QRectF(option->rect).adjusted(1.5, 1.5, -1.5, -1.5));
    }
    painter->restore();
}
