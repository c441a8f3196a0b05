#include "ui/dialogs/frmSplash.h"

#include <QCloseEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <qdrawutil.h>

#include "Version.h"
#include "core/Twips.h"
#include "ui/main/General.h"

namespace {

// The dialog frame around the client area, in pixels.
constexpr int kBorder = 3;

QFont arial(qreal points, bool bold)
{
    // Liberation Sans has Arial's metrics, so the designed boxes still fit.
    QFont font;
    font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, QRect geometry, const QFont& font,
                  Qt::Alignment alignment = Qt::AlignLeft)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setGeometry(geometry);
    label->setFont(font);
    label->setAlignment(alignment | Qt::AlignTop);
    return label;
}

// Fits the label to its text. A right-aligned label keeps its right edge, so that the
// lines aligned on the right stay aligned whatever their length.
void autoSize(QLabel* label)
{
    const QRect before = label->geometry();
    label->resize(label->sizeHint());
    if (label->alignment() & Qt::AlignRight)
        label->move(before.x() + before.width() - label->width(), before.y());
}

} // namespace

frmSplash::frmSplash()
{
    setObjectName("frmSplash");
    // No caption, so no title bar: a plain panel with a dialog border of its own.
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setWindowTitle(QString());
    setContentsMargins(kBorder, kBorder, kBorder, kBorder);
    setClientSizeTwips(7380, 4245);

    QPalette colours = palette();
    colours.setColor(QPalette::Window, colours.color(QPalette::Button));
    colours.setColor(QPalette::WindowText, colours.color(QPalette::ButtonText));
    setPalette(colours);
    setAutoFillBackground(true);

    Frame1 = new QFrame(client());
    Frame1->setObjectName("Frame1");
    Frame1->setFrameStyle(QFrame::Box | QFrame::Sunken);
    Frame1->setGeometry(twips::rect(150, 120, 7080, 4050));

    Label1 = makeLabel(Frame1, "Label1", QStringLiteral("A"), twips::rect(240, 480, 2175, 3015), arial(150, false));
    Label1->setAutoFillBackground(true);
    // Set into the lower right of the "A", in the highlight-text colour, letting the "A" show through.
    Label2 = makeLabel(Frame1, "Label2", QStringLiteral("a"), twips::rect(1560, 1920, 735, 1335), arial(72, false));
    QPalette letter = Label2->palette();
    letter.setColor(QPalette::WindowText, letter.color(QPalette::HighlightedText));
    Label2->setPalette(letter);
    Label2->raise();

    lblCompanyProduct = makeLabel(Frame1, "lblCompanyProduct", QStringLiteral("Ardelon"),
                                  twips::rect(2520, 705, 3825, 435), arial(18, true));
    lblProductName = makeLabel(Frame1, "lblProductName", QStringLiteral("Tovrin"), twips::rect(2640, 1140, 3240, 765),
                               arial(32.25, true));
    lblPlatform = makeLabel(Frame1, "lblPlatform", QStringLiteral("Windows 95/98"), twips::rect(4575, 2340, 2280, 360),
                            arial(15.75, true), Qt::AlignRight);
    lblVersion = makeLabel(Frame1, "lblVersion", QStringLiteral("Version: 2.0.5"), twips::rect(5295, 2700, 1560, 285),
                           arial(12, true), Qt::AlignRight);
    lblCopyright = makeLabel(Frame1, "lblCopyright", QStringLiteral("All rights reserved."),
                             twips::rect(4560, 3060, 2415, 255), arial(8.25, false));
    lblCompany = makeLabel(Frame1, "lblCompany", QStringLiteral("\u00A9 1999 Ardelon"), twips::rect(4560, 3270, 2415, 255),
                           arial(8.25, false));
    lblWarning = makeLabel(Frame1, "lblWarning", QStringLiteral("Warning"), twips::rect(120, 3660, 6885, 195),
                           arial(8.25, false));

    for (QLabel* label : {lblCompanyProduct, lblProductName, lblPlatform, lblVersion})
        autoSize(label);
}

void frmSplash::Form_Load()
{
    lblVersion->setText(QStringLiteral("Version %1.%2.%3").arg(version::kMajor).arg(version::kMinor).arg(version::kRevision));
    autoSize(lblVersion);
    lblProductName->setText(QString::fromLatin1(version::kTitle));
    autoSize(lblProductName);
}

void frmSplash::Form_Click()
{
    dismiss();
}

void frmSplash::Form_KeyPress(int)
{
    dismiss();
}

void frmSplash::dismiss()
{
    // Input already queued when it was put away must not start the program twice.
    if (!isVisible())
        return;
    hide();
    ShowMainOrTray();
}

void frmSplash::closeEvent(QCloseEvent* event)
{
    // It has no close box, but a desktop can still close it (Alt+F4). Unloaded then,
    // it would leave the program running with neither a window nor an icon.
    event->ignore();
    dismiss();
}

void frmSplash::keyPressEvent(QKeyEvent* event)
{
    // Only keys that type a character (Enter, Esc and Space included); Shift, the
    // arrows and the function keys type none.
    const QString typed = event->text();
    if (typed.isEmpty()) {
        Form::keyPressEvent(event);
        return;
    }
    Form_KeyPress(typed.at(0).unicode());
}

void frmSplash::mousePressEvent(QMouseEvent* event)
{
    m_pressed = true;
    event->accept();
}

void frmSplash::mouseReleaseEvent(QMouseEvent* event)
{
    // A click: pressed and released on the window (or any part of it).
    const bool click = m_pressed && rect().contains(event->position().toPoint());
    m_pressed = false;
    event->accept();
    if (click)
        Form_Click();
}

void frmSplash::paintEvent(QPaintEvent* event)
{
    Form::paintEvent(event);
    QPainter painter(this);
    qDrawWinPanel(&painter, rect(), palette(), false);
}
