#include "ui/credits/CreditText.h"

#include <QEvent>
#include <QPainter>
#include <QTextOption>

CreditText::CreditText(QWidget* parent, const char* name, Qt::Alignment alignment, bool wordWrap)
    : QWidget(parent)
    , m_alignment(alignment)
    , m_wordWrap(wordWrap)
{
    setObjectName(name);
    // Every pixel is painted, so nothing underneath needs drawing first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
}

void CreditText::setText(const QString& text)
{
    m_text = text;
    m_picture = QPixmap();
    update();
}

void CreditText::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange)
        m_picture = QPixmap();
    QWidget::changeEvent(event);
}

void CreditText::resizeEvent(QResizeEvent* event)
{
    m_picture = QPixmap();
    QWidget::resizeEvent(event);
}

void CreditText::render()
{
    const qreal ratio = devicePixelRatioF();
    m_picture = QPixmap(size() * ratio);
    m_picture.setDevicePixelRatio(ratio);
    m_picture.fill(Qt::black);
    QPainter p(&m_picture);
    p.setFont(font());
    p.setPen(Qt::white);
    QString shown = m_text;
    shown.remove(QLatin1Char('\r'));
    // The line break that ends the text starts no line of its own.
    if (shown.endsWith(QLatin1Char('\n')))
        shown.chop(1);
    QTextOption option(m_alignment | Qt::AlignTop);
    option.setWrapMode(m_wordWrap ? QTextOption::WordWrap : QTextOption::NoWrap);
    // Spaces around a heading lengthen its underline.
    option.setFlags(QTextOption::IncludeTrailingSpaces);
    p.drawText(QRectF(rect()), shown, option);
}

void CreditText::paintEvent(QPaintEvent*)
{
    if (m_picture.isNull() || m_picture.devicePixelRatio() != devicePixelRatioF())
        render();
    QPainter(this).drawPixmap(0, 0, m_picture);
}
