#include "ui/credits/CreditsWindow.h"

#include <QGroupBox>
#include <QIcon>
#include <QStyle>
#include <QTimer>
#include <QWindow>

#include "ui/credits/CreditText.h"
#include "ui/credits/CreditsStage.h"
#include "ui/credits/CreditsContent.h"
#include "platform/Services.h"
#include "ui/widgets/OutlinedBox.h"
#include "ui/windows/Twips.h"

namespace {

constexpr int kClientWidth = 5775;
constexpr int kClientHeight = 4605;

QPalette blackAndWhite(QPalette palette)
{
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Window, Qt::black);
        palette.setColor(group, QPalette::WindowText, Qt::white);
        palette.setColor(group, QPalette::Base, Qt::black);
        palette.setColor(group, QPalette::Text, Qt::white);
    }
    return palette;
}

} // namespace

CreditsWindow::CreditsWindow(WindowContext& context)
    : Window(context)
{
    setObjectName("frmCred");
    setWindowTitle(QStringLiteral("Credits"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/credits.ico")));
    useFixedBorder();
    setClientSizeTwips(kClientWidth, kClientHeight);
    setPalette(blackAndWhite(palette()));
    client()->setAutoFillBackground(true);

    QWidget* c = client();
    const QFont underlined = designFont(8.25, false, true);
    auto block = [&](const char* name, int left, int width, int element, Qt::Alignment align, const QString& text,
                     const QFont& font) {
        auto* b = new CreditText(c, name, align);
        b->setFont(font);
        b->setText(text);
        b->resize(twips::size(width, CreditsScroll::kHeights[element]));
        m_elements[element] = b;
        m_lefts[element] = left;
        return b;
    };
    using S = CreditsScroll;
    appNameText = block("txtAppname", 240, 5175, S::AppName, Qt::AlignHCenter, credits::appName(), underlined);
    copyrightText = block("txtCopy", 240, 5175, S::Copyright, Qt::AlignHCenter, credits::copyright(), font());
    creditsHeading = block("txtCred", 240, 5175, S::CreditsHeading, Qt::AlignHCenter, credits::creditsHeading(), underlined);
    unitOneHeading = block("txtU1", 240, 5175, S::UnitOneHeading, Qt::AlignHCenter, credits::unitOneHeading(), underlined);
    unitOneTitles = block("txtUoo", 240, 2535, S::UnitOneTitles, Qt::AlignRight, credits::unitOneTitles(), font());
    unitOneNames = block("txtUot", 2880, 2535, S::UnitOneNames, Qt::AlignLeft, credits::unitOneNames(), font());
    unitTwoHeading = block("txtU2", 240, 5175, S::UnitTwoHeading, Qt::AlignHCenter, credits::unitTwoHeading(), underlined);
    unitTwoTitles = block("txtUto", 240, 2535, S::UnitTwoTitles, Qt::AlignRight, credits::unitTwoTitles(), font());
    unitTwoNames = block("txtUtt", 2880, 2535, S::UnitTwoNames, Qt::AlignLeft, credits::unitTwoNames(), font());
    thanksText = block("txtThank", CreditsScroll::kThankStoredLeft, 5175, S::Thanks, Qt::AlignHCenter,
                     credits::thanks(), font());

    // The disclaimer's box. It is wider than the two lines of the disclaimer would
    // need in the classic font: the desktop's sans-serif would otherwise wrap it to a
    // third line that the box cuts off.
    // The style's own line would be #161616 on black.
    disclaimerBox = new OutlinedBox(c);
    disclaimerBox->setObjectName("frmAnim");
    disclaimerBox->setAutoFillBackground(true);
    disclaimerBox->resize(twips::size(3840, CreditsScroll::kHeights[S::Disclaimer]));
    m_elements[S::Disclaimer] = disclaimerBox;
    m_lefts[S::Disclaimer] = 840;
    disclaimerText = new CreditText(disclaimerBox, "Label1", Qt::AlignHCenter, true);
    disclaimerText->setText(credits::disclaimer());
    disclaimerText->setGeometry(twips::rect(120, 240, 3600, 495));

    fireText = block("txtFire", 240, 5175, S::Fire, Qt::AlignHCenter, credits::fire(), font());
    pantsText = block("txtPants", 240, 5175, S::Pants, Qt::AlignHCenter, credits::pants(),
                     designFont(13.5, true, true));

    m_stage = std::make_unique<CreditsStage>(c, std::vector<QWidget*>(m_elements.begin(), m_elements.end()),
                                             context.services.pictureSurfaces);

    scrollTimer = new QTimer(this);
    scrollTimer->setObjectName("Timer1");
    scrollTimer->setInterval(10);
    connect(scrollTimer, &QTimer::timeout, this, &CreditsWindow::onTick);
}

CreditsWindow::~CreditsWindow() = default;

int CreditsWindow::outerHeightTwips() const
{
    int outer = frameGeometry().height();
    if (outer <= height()) {
        // Not framed yet (the desktop adds the frame when the window is first shown),
        // or no frame at all: count a title bar and borders, so that each gag line
        // still crosses an empty window.
        const QStyle* s = style();
        outer = height() + s->pixelMetric(QStyle::PM_TitleBarHeight) + 2 * s->pixelMetric(QStyle::PM_DefaultFrameWidth);
    }
    return outer * twips::kPerPixel;
}

void CreditsWindow::onLoad()
{
    m_scroll.startLayout(outerHeightTwips());
    place();
    scrollTimer->start();
}

void CreditsWindow::showEvent(QShowEvent* event)
{
    // Loading comes before the first show, which gives the window its size: the start
    // layout is made again from the height the credits really scroll through.
    if (!m_shown) {
        m_shown = true;
        m_scroll.startLayout(outerHeightTwips());
        place();
        // The native window exists from the first show on.
        windowHandle()->installEventFilter(this);
    }
    Window::showEvent(event);
}

bool CreditsWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Expose && watched == windowHandle())
        scrollWhileSeen();
    return Window::eventFilter(watched, event);
}

void CreditsWindow::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::WindowStateChange && m_shown)
        scrollWhileSeen();
    Window::changeEvent(event);
}

void CreditsWindow::scrollWhileSeen()
{
    // Minimised, hidden or on another desktop, nobody sees the scroll: its ticks
    // would only wake the program and the display server 100 times a second. It
    // goes on where it stood once the window is seen again.
    const bool seen = windowHandle()->isExposed() && !isMinimized();
    if (!seen && scrollTimer->isActive()) {
        scrollTimer->stop();
        m_paused = true;
    } else if (seen && m_paused) {
        scrollTimer->start();
        m_paused = false;
    }
}

void CreditsWindow::onTick()
{
    m_scroll.tick(outerHeightTwips());
    place();
}

void CreditsWindow::place()
{
    for (int e = 0; e < CreditsScroll::kElementCount; ++e) {
        const auto element = static_cast<CreditsScroll::Element>(e);
        const int left = element == CreditsScroll::Thanks ? m_scroll.thankLeft() : m_lefts[e];
        m_elements[e]->move(twips::toPixels(left), twips::toPixels(m_scroll.top(element)));
    }
    m_stage->follow();
}
