#pragma once

#include <QColor>
#include <QProxyStyle>

// The colour midway between two others: a line in it shows on a light, dark or black
// background alike when the other is the text colour.
QColor midwayColour(const QColor& a, const QColor& b);

// The application's style, with check box and option button indicators outlined in
// the colour midway between the background and the text. Styles derive the outline
// from the background alone (Fusion: a shade darker), which leaves an unchecked
// indicator all but invisible in a dark colour scheme.
class IndicatorStyle final : public QProxyStyle {
    Q_OBJECT
public:
    IndicatorStyle();

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override;
};
