#include "ui/credits/frmCred.h"

#include <QGroupBox>
#include <QIcon>
#include <QStyle>
#include <QTimer>

#include "core/Twips.h"
#include "ui/credits/CreditText.h"
#include "ui/credits/CreditsContent.h"

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

frmCred::frmCred()
{
    setObjectName("frmCred");
    setWindowTitle(QStringLiteral("Credits"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/credits.ico")));
    useFixedBorder();
    setClientSizeTwips(kClientWidth, kClientHeight);
    setPalette(blackAndWhite(palette()));
    client()->setAutoFillBackground(true);

    QWidget* c = client();
    const QFont underlined = sansSerif(8.25, false, true);
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
    txtAppname = block("txtAppname", 240, 5175, S::txtAppname, Qt::AlignHCenter, credits::appName(), underlined);
    txtCopy = block("txtCopy", 240, 5175, S::txtCopy, Qt::AlignHCenter, credits::copyright(), font());
    txtCred = block("txtCred", 240, 5175, S::txtCred, Qt::AlignHCenter, credits::creditsHeading(), underlined);
    txtU1 = block("txtU1", 240, 5175, S::txtU1, Qt::AlignHCenter, credits::unitOneHeading(), underlined);
    txtUoo = block("txtUoo", 240, 2535, S::txtUoo, Qt::AlignRight, credits::unitOneTitles(), font());
    txtUot = block("txtUot", 2880, 2535, S::txtUot, Qt::AlignLeft, credits::unitOneNames(), font());
    txtU2 = block("txtU2", 240, 5175, S::txtU2, Qt::AlignHCenter, credits::unitTwoHeading(), underlined);
    txtUto = block("txtUto", 240, 2535, S::txtUto, Qt::AlignRight, credits::unitTwoTitles(), font());
    txtUtt = block("txtUtt", 2880, 2535, S::txtUtt, Qt::AlignLeft, credits::unitTwoNames(), font());
    txtThank = block("txtThank", CreditsScroll::kThankStoredLeft, 5175, S::txtThank, Qt::AlignHCenter,
                     credits::thanks(), font());

    // The disclaimer's box. It is wider than the two lines of the disclaimer would
    // need in the classic font: the desktop's sans-serif would otherwise wrap it to a
    // third line that the box cuts off.
    frmAnim = new QGroupBox(c);
    frmAnim->setObjectName("frmAnim");
    frmAnim->setAutoFillBackground(true);
    frmAnim->resize(twips::size(3840, CreditsScroll::kHeights[S::frmAnim]));
    m_elements[S::frmAnim] = frmAnim;
    m_lefts[S::frmAnim] = 840;
    Label1 = new CreditText(frmAnim, "Label1", Qt::AlignHCenter, true);
    Label1->setText(credits::disclaimer());
    Label1->setGeometry(twips::rect(120, 240, 3600, 495));

    txtFire = block("txtFire", 240, 5175, S::txtFire, Qt::AlignHCenter, credits::fire(), font());
    txtPants = block("txtPants", 240, 5175, S::txtPants, Qt::AlignHCenter, credits::pants(),
                     sansSerif(13.5, true, true));

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(10);
    connect(Timer1, &QTimer::timeout, this, &frmCred::Timer1_Timer);
}

int frmCred::OuterHeightTwips() const
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

void frmCred::Form_Load()
{
    m_scroll.StartLayout(OuterHeightTwips());
    place();
    Timer1->start();
}

void frmCred::Timer1_Timer()
{
    m_scroll.Tick(OuterHeightTwips());
    place();
}

void frmCred::place()
{
    for (int e = 0; e < CreditsScroll::kElementCount; ++e) {
        const auto element = static_cast<CreditsScroll::Element>(e);
        const int left = element == CreditsScroll::txtThank ? m_scroll.thankLeft() : m_lefts[e];
        m_elements[e]->move(twips::toPixels(left), twips::toPixels(m_scroll.top(element)));
    }
}
