#include "ui/credits/CreditText.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QEvent>
#include <QPainter>
#include <QTextLayout>
#include <QTextOption>

namespace {

// Painted text is invisible to assistive technology unless the block says what it is.
QAccessibleInterface* creditTextFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String("CreditText") && object && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::StaticText);
    return nullptr;
}

} // namespace

CreditText::CreditText(QWidget* parent, const char* name, Qt::Alignment alignment, bool wordWrap)
    : QWidget(parent)
    , m_alignment(alignment)
    , m_wordWrap(wordWrap)
{
    setObjectName(name);
    // Every pixel is painted, so nothing underneath needs drawing first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
    static const bool installed = (QAccessible::installFactory(creditTextFactory), true);
    Q_UNUSED(installed);
}

void CreditText::setText(const QString& text)
{
    m_text = text;
    m_picture = QPixmap();
    // Read out without the blanks that only lengthen the headings' underlines.
    QStringList lines = shownText().split(QLatin1Char('\n'));
    for (QString& line : lines)
        line = line.trimmed();
    setAccessibleName(lines.join(QLatin1Char('\n')));
    update();
}

QString CreditText::shownText() const
{
    QString shown = m_text;
    shown.remove(QLatin1Char('\r'));
    // The line break that ends the text starts no line of its own.
    if (shown.endsWith(QLatin1Char('\n')))
        shown.chop(1);
    return shown;
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
    // Lines one font height apart, without the font's extra leading: the blocks'
    // heights hold exactly as many lines as the design gives them.
    QString shown = shownText();
    shown.replace(QLatin1Char('\n'), QChar::LineSeparator);
    QTextLayout layout(shown, font());
    QTextOption option(m_alignment | Qt::AlignTop);
    option.setWrapMode(m_wordWrap ? QTextOption::WordWrap : QTextOption::NoWrap);
    // Spaces around a heading lengthen its underline.
    option.setFlags(QTextOption::IncludeTrailingSpaces);
    layout.setTextOption(option);
    layout.beginLayout();
    qreal y = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width());
        line.setPosition(QPointF(0, y));
        y += line.height();
    }
    layout.endLayout();
    layout.draw(&p, QPointF(0, 0));
}

void CreditText::paintEvent(QPaintEvent*)
{
    if (m_picture.isNull() || m_picture.devicePixelRatio() != devicePixelRatioF())
        render();
    QPainter(this).drawPixmap(0, 0, m_picture);
}
