#include "ui/dialogs/frmOptions.h"

#include <algorithm>

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include "core/Forms.h"
#include "core/Reg.h"
#include "core/Twips.h"

namespace {

template <class T>
T* makeControl(QWidget* parent, const char* name, const QString& caption, QRect geometry)
{
    auto* control = new T(caption, parent);
    control->setObjectName(name);
    control->setGeometry(geometry);
    return control;
}

// Desktop fonts run wider and taller than the design's; a caption that would be cut
// off gets the room it needs to the right (up to its container's inner edge) and is
// kept centred on its row where it needs more height.
void fitCaption(QWidget* control, int rightLimit)
{
    const QSize need = control->sizeHint();
    QRect g = control->geometry();
    if (need.width() > g.width())
        g.setWidth(std::max(g.width(), std::min(need.width(), rightLimit - g.left())));
    if (need.height() > g.height()) {
        const int extra = need.height() - g.height();
        g.adjust(0, -extra / 2, 0, extra - extra / 2);
    }
    control->setGeometry(g);
}

} // namespace

frmOptions::frmOptions()
{
    setObjectName("frmOptions");
    setWindowTitle(QStringLiteral("Options"));
    useFixedBorder();
    setClientSizeTwips(3585, 2850);

    QWidget* c = client();
    Frame1 = makeControl<QGroupBox>(c, "Frame1", QStringLiteral("General Options"), twips::rect(120, 120, 3375, 855));
    Frame2 = makeControl<QGroupBox>(c, "Frame2", QStringLiteral("Tray Options"), twips::rect(120, 960, 3375, 1215));
    Label1 = makeControl<QLabel>(Frame2, "Label1", QStringLiteral("After Switching text:"), twips::rect(120, 360, 2295, 255));
    optOpen = makeControl<QRadioButton>(Frame2, "optOpen", QStringLiteral("open it in a new window"),
                                        twips::rect(480, 600, 2055, 255));

    // These stand on the window itself, drawn over the frames.
    ckSplash = makeControl<QCheckBox>(c, "ckSplash", QStringLiteral("Show splash screen on start-up"),
                                      twips::rect(360, 360, 2655, 195));
    ckTrayst = makeControl<QCheckBox>(c, "ckTrayst", QStringLiteral("Place in tray on start-up"),
                                      twips::rect(360, 600, 2055, 195));
    optCopy = makeControl<QRadioButton>(c, "optCopy", QStringLiteral("copy it directly to the clipboard"),
                                        twips::rect(600, 1800, 2535, 195));

    Command2 = makeControl<QPushButton>(c, "Command2", QStringLiteral("Cancel"), twips::rect(600, 2280, 1335, 495));
    Command1 = makeControl<QPushButton>(c, "Command1", QStringLiteral("OK"), twips::rect(2160, 2280, 1335, 495));
    // No default or cancel button: Enter presses a button only while it has the
    // focus, as Space does, and Esc does nothing.
    Command1->setAutoDefault(true);
    Command2->setAutoDefault(true);

    // The two option buttons sit in different containers, so the toolkit would not
    // group them anyway; their click handlers keep exactly one of them on.
    optOpen->setAutoExclusive(false);
    optCopy->setAutoExclusive(false);

    // Inner right edges: up to the frames' borders, in their own and in the window's coordinates.
    const int frameInner = Frame2->width() - 2;
    const int windowInner = Frame1->geometry().right() - 1;
    const std::pair<QWidget*, int> captions[] = {
        {ckSplash, windowInner}, {ckTrayst, windowInner}, {optCopy, windowInner}, {optOpen, frameInner}, {Label1, frameInner}};
    // A wide desktop font may not fit the design's room even when widened: step the
    // whole dialog's size down a little, never below 7.5 points, until every caption fits.
    for (qreal points = 8.25; points > 7.5; points -= 0.25) {
        const bool fits = std::all_of(std::begin(captions), std::end(captions), [](const auto& c) {
            return c.first->sizeHint().width() <= c.second - c.first->x();
        });
        if (fits)
            break;
        setFont(sansSerif(points - 0.25));
    }
    for (const auto& [control, limit] : captions)
        fitCaption(control, limit);

    ckSplash->raise();
    ckTrayst->raise();
    optCopy->raise();

    setTabOrder(ckSplash, ckTrayst);
    setTabOrder(ckTrayst, optCopy);
    setTabOrder(optCopy, optOpen);
    setTabOrder(optOpen, Command1);
    setTabOrder(Command1, Command2);

    connect(Command1, &QPushButton::clicked, this, &frmOptions::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmOptions::Command2_Click);
    connect(optCopy, &QRadioButton::clicked, this, &frmOptions::optCopy_Click);
    connect(optOpen, &QRadioButton::clicked, this, &frmOptions::optOpen_Click);
}

void frmOptions::Form_Load()
{
    const QString path = QString::fromLatin1(kSettingsPath);
    ckSplash->setCheckState(CheckStateFromSetting(ReadSettingValue(kSettingsRoot, path, QString::fromLatin1(kSplashScreen))));
    ckTrayst->setCheckState(CheckStateFromSetting(ReadSettingValue(kSettingsRoot, path, QString::fromLatin1(kPlaceInTray))));
    const bool copy = TruthFromSetting(ReadSettingValue(kSettingsRoot, path, QString::fromLatin1(kCopy2Clip)));
    optCopy->setChecked(copy);
    optOpen->setChecked(!copy);
}

void frmOptions::Command1_Click()
{
    const QString path = QString::fromLatin1(kSettingsPath);
    WriteSettingValue(kSettingsRoot, path, QString::fromLatin1(kSplashScreen), SettingFromCheckState(ckSplash->checkState()));
    WriteSettingValue(kSettingsRoot, path, QString::fromLatin1(kPlaceInTray), SettingFromCheckState(ckTrayst->checkState()));
    WriteSettingValue(kSettingsRoot, path, QString::fromLatin1(kCopy2Clip), SettingFromTruth(optCopy->isChecked()));
    forms().unload(this);
}

void frmOptions::Command2_Click()
{
    forms().unload(this);
}

void frmOptions::optCopy_Click()
{
    optCopy->setChecked(true);
    optOpen->setChecked(false);
}

void frmOptions::optOpen_Click()
{
    optOpen->setChecked(true);
    optCopy->setChecked(false);
}
