#include "ui/dialogs/SplashScreen.h"

#include <QCloseEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <qdrawutil.h>

#include "Version.h"
#include "ui/windows/Resources.h"
#include "ui/windows/Twips.h"

namespace {

// The dialog frame around the client area, in pixels.
constexpr int kBorder = 3;

QFont arial(qreal points, bool bold)
{
    // Liberation Sans has Arial's metrics, so the designed boxes still fit.
    QFont font;
    font.setFamilies(designFontFamilies());
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

SplashScreen::SplashScreen(WindowContext& context)
    : Window(context)
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

    frame = new QFrame(client());
    frame->setObjectName("Frame1");
    frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
    frame->setGeometry(twips::rect(150, 120, 7080, 4050));

    logoLetter = makeLabel(frame, "Label1", QStringLiteral("A"), twips::rect(240, 480, 2175, 3015), arial(150, false));
    logoLetter->setAutoFillBackground(true);
    // Set into the lower right of the "A", in the highlight-text colour, letting the "A" show through.
    logoInnerLetter = makeLabel(frame, "Label2", QStringLiteral("a"), twips::rect(1560, 1920, 735, 1335), arial(72, false));
    QPalette letter = logoInnerLetter->palette();
    letter.setColor(QPalette::WindowText, letter.color(QPalette::HighlightedText));
    logoInnerLetter->setPalette(letter);
    logoInnerLetter->raise();

    companyLabel = makeLabel(frame, "lblCompanyProduct", QStringLiteral("Ardelon"),
                                  twips::rect(2520, 705, 3825, 435), arial(18, true));
    productLabel = makeLabel(frame, "lblProductName", QStringLiteral("Tovrin"), twips::rect(2640, 1140, 3240, 765),
                               arial(32.25, true));
    platformLabel = makeLabel(frame, "lblPlatform", QStringLiteral("Windows 95/98"), twips::rect(4575, 2340, 2280, 360),
                            arial(15.75, true), Qt::AlignRight);
    versionLabel = makeLabel(frame, "lblVersion", QStringLiteral("Version: 2.0.5"), twips::rect(5295, 2700, 1560, 285),
                           arial(12, true), Qt::AlignRight);
    rightsLabel = makeLabel(frame, "lblCopyright", QStringLiteral("All rights reserved."),
                             twips::rect(4560, 3060, 2415, 255), arial(8.25, false));
    copyrightLabel = makeLabel(frame, "lblCompany", QStringLiteral("\u00A9 1999 Ardelon"), twips::rect(4560, 3270, 2415, 255),
                           arial(8.25, false));
    warningLabel = makeLabel(frame, "lblWarning", QStringLiteral("Warning"), twips::rect(120, 3660, 6885, 195),
                           arial(8.25, false));

    for (QLabel* label : {companyLabel, productLabel, platformLabel, versionLabel})
        autoSize(label);
}

void SplashScreen::onLoad()
{
    versionLabel->setText(QStringLiteral("Version %1.%2.%3").arg(version::kMajor).arg(version::kMinor).arg(version::kRevision));
    autoSize(versionLabel);
    productLabel->setText(QString::fromLatin1(version::kTitle));
    autoSize(productLabel);
}

void SplashScreen::onClicked()
{
    dismiss();
}

void SplashScreen::onKeyTyped(int)
{
    dismiss();
}

void SplashScreen::dismiss()
{
    // Input already queued when it was put away must not start the program twice.
    if (!isVisible())
        return;
    hide();
    emit dismissed();
}

void SplashScreen::closeEvent(QCloseEvent* event)
{
    // It has no close box, but a desktop can still close it (Alt+F4). Unloaded then,
    // it would leave the program running with neither a window nor an icon.
    event->ignore();
    dismiss();
}

void SplashScreen::keyPressEvent(QKeyEvent* event)
{
    // Only keys that type a character (Enter, Esc and Space included); Shift, the
    // arrows and the function keys type none. Delete reports DEL as its text, yet
    // types nothing either.
    const QString typed = event->text();
    if (typed.isEmpty() || typed.at(0) == QChar(0x7F)) {
        Window::keyPressEvent(event);
        return;
    }
    onKeyTyped(typed.at(0).unicode());
}

void SplashScreen::mousePressEvent(QMouseEvent* event)
{
    m_pressed = true;
    event->accept();
}

void SplashScreen::mouseReleaseEvent(QMouseEvent* event)
{
    // A click: pressed and released on the window (or any part of it).
    const bool click = m_pressed && rect().contains(event->position().toPoint());
    m_pressed = false;
    event->accept();
    if (click)
        onClicked();
}

void SplashScreen::paintEvent(QPaintEvent* event)
{
    Window::paintEvent(event);
    QPainter painter(this);
    qDrawWinPanel(&painter, rect(), palette(), false);
}
