#include "ui/dialogs/frmAbout.h"

#include <QApplication>
#include <QCursor>
#include <QFile>
#include <QGroupBox>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QtEndian>

#include "core/Twips.h"
#include "platform/Services.h"
#include "ui/main/frmCase.h"

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

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, QRect geometry)
{
    auto* label = new QLabel(text, parent);
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

QCursor LinkCursor()
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

frmAbout::frmAbout()
{
    setObjectName("frmAbout");
    setWindowTitle(QStringLiteral("About"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/about.ico")));
    useFixedBorder();
    setClientSizeTwips(8280, 7215);
    setColours(client(), Qt::black, Qt::white);

    Frame1 = new QGroupBox(QStringLiteral("About: Tovrin 2.0.5"), client());
    Frame1->setObjectName("Frame1");
    Frame1->setGeometry(twips::rect(120, 120, 8055, 6975));
    setColours(Frame1, Qt::black, Qt::white);

    Picture1 = makeLabel(Frame1, "Picture1", QString(), twips::rect(360, 360, 7455, 2535));
    Picture1->setPixmap(QPixmap(QStringLiteral(":/pictures/banner.png")));
    setColours(Picture1, QApplication::palette().color(QPalette::Base), QApplication::palette().color(QPalette::Text));
    Picture1->setFocusPolicy(Qt::TabFocus);

    Label1 = makeLabel(Frame1, "Label1", kDescription, twips::rect(360, 3000, 7215, 1635));
    Label1->setWordWrap(true);
    setColours(Label1, Qt::black, Qt::white);

    // Stands over the end of the paragraph, which leads up to it.
    Label7 = makeLabel(Frame1, "Label7", QStringLiteral("Qwirl"), twips::rect(3870, 4170, 615, 255));
    Label7->setFont(sansSerif(8.25, false, true));
    setColours(Label7, QColor(), kLinkBlue);

    Label2 = makeLabel(Frame1, "Label2", QStringLiteral("- Ivo Lark"), twips::rect(4920, 4800, 975, 255));
    setColours(Label2, Qt::black, Qt::white);
    Label3 = makeLabel(Frame1, "Label3", QStringLiteral("  Chief Case Officer, Ardelon"),
                       twips::rect(4920, 5040, 2655, 255));
    setColours(Label3, Qt::black, Qt::white);
    // As wide as the title above it: the address does not fit the classic width in
    // the desktop's sans-serif.
    const QString address = QString::fromLatin1(kMakerMailLink).mid(int(qstrlen("mailto:")));
    Label6 = makeLabel(Frame1, "Label6", QStringLiteral("  ") + address, twips::rect(4920, 5280, 2655, 255));
    Label6->setFont(sansSerif(8.25, false, true));
    setColours(Label6, Qt::black, kLinkBlue);

    Command1 = new QPushButton(QStringLiteral("OK"), Frame1);
    Command1->setObjectName("Command1");
    Command1->setGeometry(twips::rect(5760, 6000, 1575, 495));
    // Enter and Space press it while it has the focus; Esc is not wired to it.
    Command1->setAutoDefault(true);

    // White like the copyright beside it: in the button-text colour of most schemes
    // it would vanish into the black.
    Label5 = makeLabel(Frame1, "Label5", QStringLiteral("All other trademarks belong to their owners."),
                       twips::rect(120, 6720, 4215, 255));
    Label5->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    setColours(Label5, QColor(), Qt::white);
    Label4 = makeLabel(Frame1, "Label4", QStringLiteral("Copyright \u00A9 1999 Ardelon"),
                       twips::rect(5400, 6720, 2535, 255));
    setColours(Label4, Qt::black, Qt::white);

    const QCursor link = LinkCursor();
    for (QLabel* label : {Label6, Label7}) {
        label->setCursor(link);
        label->installEventFilter(this);
    }

    setTabOrder(Command1, Picture1);
    Command1->setFocus();
    connect(Command1, &QPushButton::clicked, this, &frmAbout::Command1_Click);
}

bool frmAbout::eventFilter(QObject* watched, QEvent* event)
{
    auto* label = qobject_cast<QLabel*>(watched);
    if (label && (label == Label6 || label == Label7)) {
        if (event->type() == QEvent::MouseButtonPress) {
            if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
                m_pressed = label;
        } else if (event->type() == QEvent::MouseButtonRelease) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            // A click is a press and a release of the left button over the same label.
            const bool click = mouse->button() == Qt::LeftButton && m_pressed == label
                && label->rect().contains(mouse->position().toPoint());
            m_pressed = nullptr;
            if (click) {
                if (label == Label6)
                    Label6_Click();
                else
                    Label7_Click();
            }
        }
    }
    return Form::eventFilter(watched, event);
}

void frmAbout::Command1_Click()
{
    hide();
}

void frmAbout::Label6_Click()
{
    platform::links().ShellExecute(static_cast<quintptr>(winId()), QString(), QString::fromLatin1(kMakerMailLink),
                                   QString(), QStringLiteral("c:\\"), 0);
}

void frmAbout::Label7_Click()
{
    platform::links().ShellExecute(static_cast<quintptr>(winId()), QString(), QString::fromLatin1(kHomePageLink),
                                   QString(), QStringLiteral("c:\\"), 0);
}
