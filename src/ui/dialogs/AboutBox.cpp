#include "ui/dialogs/AboutBox.h"

#include <QApplication>
#include <QCursor>
#include <QFile>
#include <QGroupBox>
#include <QIcon>
#include <QImage>
#include <QImageReader>
#include <QLabel>
#include <QtMath>
#include <QPixmap>
#include <QPushButton>
#include <QTextLayout>
#include <QtEndian>

#include "core/OpenLink.h"
#include "platform/Services.h"
#include "ui/widgets/LinkLabel.h"
#include "ui/widgets/OutlinedBox.h"
#include "ui/windows/Twips.h"

namespace {

// A light link blue: the classic dark link blue (0, 0, 192) can hardly be read on black.
const QColor kLinkBlue(96, 160, 255);

void setColours(QWidget* w, const QColor& background, const QColor& text)
{
    QPalette p = w->palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        if (background.isValid())
            p.setColor(group, QPalette::Window, background);
        p.setColor(group, QPalette::WindowText, text);
    }
    w->setPalette(p);
    w->setAutoFillBackground(background.isValid());
}

template <class T = QLabel>
T* makeLabel(QWidget* parent, const char* name, const QString& text, QRect geometry)
{
    auto* label = new T(text, parent);
    label->setObjectName(name);
    label->setGeometry(geometry);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setTextFormat(Qt::PlainText);
    return label;
}

const QString kDescription = QStringLiteral(
    "Tovrin 2.0.5 is a revision of the little program that changes the case of text. Its main addition is the "
    "icon in the notification area: with it you convert the text on the clipboard without opening the main "
    "window, which is still here for those who like it. Also new is rAnDOm, which gives every letter a case of "
    "its own; type a long text into the first box and press rAnDOm again and again to see it at its best. "
    "Smaller additions: the Options window, the links below (no more copying addresses by hand) and a splash "
    "screen. Heartfelt thanks go out to");

} // namespace

QCursor linkCursor()
{
    // The hot spot lives in the cursor file's directory entry (x at byte 10, y at 12).
    QFile file(QStringLiteral(":/cursors/link.cur"));
    QByteArray bytes;
    if (file.open(QIODevice::ReadOnly))
        bytes = file.readAll();
    const QImage image = QImage::fromData(bytes, "CUR");
    if (image.isNull() || bytes.size() < 14)
        return QCursor(Qt::PointingHandCursor);
    const int x = qFromLittleEndian<quint16>(bytes.constData() + 10);
    const int y = qFromLittleEndian<quint16>(bytes.constData() + 12);
    return QCursor(QPixmap::fromImage(image), x, y);
}

AboutBox::AboutBox(WindowContext& context)
    : Window(context)
{
    setObjectName("frmAbout");
    setWindowTitle(QStringLiteral("About"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/about.ico")));
    useFixedBorder();
    setClientSizeTwips(8280, 7215);
    setColours(client(), Qt::black, Qt::white);

    // The style's frame line is all but black on black.
    frame = new OutlinedBox(QStringLiteral("About: Tovrin 2.0.5"), client());
    frame->setObjectName("Frame1");
    frame->setGeometry(twips::rect(120, 120, 8055, 6975));
    setColours(frame, Qt::black, Qt::white);

    banner = makeLabel(frame, "Picture1", QString(), twips::rect(360, 360, 7455, 2535));
    // Through an icon, which takes banner@2x.png on screens at twice the density.
    const QString bannerPicture = QStringLiteral(":/pictures/banner.png");
    banner->setPixmap(QIcon(bannerPicture).pixmap(QImageReader(bannerPicture).size()));
    setColours(banner, QApplication::palette().color(QPalette::Base), QApplication::palette().color(QPalette::Text));
    banner->setFocusPolicy(Qt::TabFocus);

    description = makeLabel(frame, "Label1", kDescription, twips::rect(360, 3000, 7215, 1635));
    description->setWordWrap(true);
    setColours(description, Qt::black, Qt::white);

    // Stands at the end of the paragraph, which leads up to it (placed below).
    groupLink = makeLabel<LinkLabel>(frame, "Label7", QStringLiteral("Qwirl"), twips::rect(3870, 4170, 615, 255));
    groupLink->setFont(designFont(8.25, false, true));
    setColours(groupLink, QColor(), kLinkBlue);

    signature = makeLabel(frame, "Label2", QStringLiteral("- Ivo Lark"), twips::rect(4920, 4800, 975, 255));
    setColours(signature, Qt::black, Qt::white);
    signatureTitle = makeLabel(frame, "Label3", QStringLiteral("  Chief Case Officer, Ardelon"),
                       twips::rect(4920, 5040, 2655, 255));
    setColours(signatureTitle, Qt::black, Qt::white);
    // As wide as the title above it: the address does not fit the classic width in
    // the desktop's sans-serif.
    const QString address = QString::fromLatin1(kMakerMailLink).mid(int(qstrlen("mailto:")));
    mailLink = makeLabel<LinkLabel>(frame, "Label6", QStringLiteral("  ") + address, twips::rect(4920, 5280, 2655, 255));
    mailLink->setFont(designFont(8.25, false, true));
    setColours(mailLink, Qt::black, kLinkBlue);

    okButton = new QPushButton(QStringLiteral("OK"), frame);
    okButton->setObjectName("Command1");
    okButton->setGeometry(twips::rect(5760, 6000, 1575, 495));
    // Enter and Space press it while it has the focus; Esc is not wired to it.
    okButton->setAutoDefault(true);

    // White like the copyright beside it: in the button-text colour of most schemes
    // it would vanish into the black.
    trademarksLabel = makeLabel(frame, "Label5", QStringLiteral("All other trademarks belong to their owners."),
                       twips::rect(120, 6720, 4215, 255));
    trademarksLabel->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    setColours(trademarksLabel, QColor(), Qt::white);
    // Transparent: it reaches down to the frame's bottom line, which must stay visible.
    copyrightLabel = makeLabel(frame, "Label4", QStringLiteral("Copyright \u00A9 1999 Ardelon"),
                       twips::rect(5400, 6720, 2535, 255));
    setColours(copyrightLabel, QColor(), Qt::white);

    const QCursor link = linkCursor();
    for (QLabel* label : {mailLink, groupLink})
        label->setCursor(link);
    groupLink->setAccessibleName(QStringLiteral("Qwirl home page"));
    mailLink->setAccessibleName(QStringLiteral("Mail ") + address);
    placeGroupLink();

    // The links come after OK, so that Enter and Space still press OK first.
    setTabOrder(okButton, groupLink);
    setTabOrder(groupLink, mailLink);
    setTabOrder(mailLink, banner);
    okButton->setFocus();
    connect(okButton, &QPushButton::clicked, this, &AboutBox::onOkClicked);
    connect(mailLink, &LinkLabel::activated, this, &AboutBox::onMailLinkClicked);
    connect(groupLink, &LinkLabel::activated, this, &AboutBox::onGroupLinkClicked);
}

void AboutBox::placeGroupLink()
{
    // Wrapped as the label wraps it; the name follows the last line after a blank.
    const QRect area = description->contentsRect();
    QTextLayout text(description->text(), description->font());
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap);
    text.setTextOption(option);
    text.beginLayout();
    const qreal leading = QFontMetricsF(description->font()).leading();
    // As the painter sets lines: the leading between them, each on a whole pixel.
    qreal y = -leading;
    QTextLine last;
    for (QTextLine line = text.createLine(); line.isValid(); line = text.createLine()) {
        line.setLineWidth(area.width());
        y = std::ceil(y + leading);
        line.setPosition(QPointF(0, y));
        y += line.height();
        last = line;
    }
    text.endLayout();
    if (!last.isValid())
        return;
    const int blank = description->fontMetrics().horizontalAdvance(QLatin1Char(' '));
    const QPoint end = description->pos() + area.topLeft()
        + QPoint(qCeil(last.naturalTextWidth()) + blank, qRound(last.y()));
    groupLink->move(end);
}

void AboutBox::onOkClicked()
{
    hide();
}

void AboutBox::onMailLinkClicked()
{
    openLink(*context().services.links, QString::fromLatin1(kMakerMailLink));
}

void AboutBox::onGroupLinkClicked()
{
    openLink(*context().services.links, QString::fromLatin1(kHomePageLink));
}
