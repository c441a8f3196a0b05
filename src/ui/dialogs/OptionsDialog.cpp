#include "ui/dialogs/OptionsDialog.h"

#include <algorithm>

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>

#include "platform/Services.h"
#include "ui/widgets/IndicatorStyle.h"
#include "ui/widgets/OutlinedBox.h"
#include "ui/windows/Twips.h"
#include "ui/windows/WindowHolder.h"

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

OptionsDialog::OptionsDialog(WindowContext& context)
    : Window(context)
{
    setObjectName("frmOptions");
    setWindowTitle(QStringLiteral("Options"));
    // No icon in the title bar. Without one of its own a window shows the desktop's
    // default icon, so it gets an empty picture.
    QPixmap noIcon(16, 16);
    noIcon.fill(Qt::transparent);
    setWindowIcon(QIcon(noIcon));
    useFixedBorder();
    setClientSizeTwips(3585, 2850);

    QWidget* c = client();
    generalFrame =
        makeControl<OutlinedBox>(c, "Frame1", QStringLiteral("General Options"), twips::rect(120, 120, 3375, 855));
    trayFrame = makeControl<OutlinedBox>(c, "Frame2", QStringLiteral("Tray Options"), twips::rect(120, 960, 3375, 1215));
    afterSwitchingLabel = makeControl<QLabel>(trayFrame, "Label1", QStringLiteral("After Switching text:"),
                                              twips::rect(120, 360, 2295, 255));
    openOption = makeControl<QRadioButton>(trayFrame, "optOpen", QStringLiteral("open it in a new window"),
                                           twips::rect(480, 600, 2055, 255));

    // These stand on the window itself, drawn over the frames.
    showSplashCheck = makeControl<QCheckBox>(c, "ckSplash", QStringLiteral("Show splash screen on start-up"),
                                             twips::rect(360, 360, 2655, 195));
    placeInTrayCheck = makeControl<QCheckBox>(c, "ckTrayst", QStringLiteral("Place in tray on start-up"),
                                              twips::rect(360, 600, 2055, 195));
    copyOption = makeControl<QRadioButton>(c, "optCopy", QStringLiteral("copy it directly to the clipboard"),
                                           twips::rect(600, 1800, 2535, 195));

    // Indicators that show in a dark colour scheme too; the style goes with the dialog.
    auto* indicators = new IndicatorStyle;
    indicators->setParent(this);
    for (QAbstractButton* control : std::initializer_list<QAbstractButton*>{showSplashCheck, placeInTrayCheck,
                                                                           copyOption, openOption})
        control->setStyle(indicators);

    cancelButton =
        makeControl<QPushButton>(c, "Command2", QStringLiteral("Cancel"), twips::rect(600, 2280, 1335, 495));
    okButton = makeControl<QPushButton>(c, "Command1", QStringLiteral("OK"), twips::rect(2160, 2280, 1335, 495));
    // No default or cancel button: Enter presses a button only while it has the
    // focus, as Space does, and Esc does nothing.
    okButton->setAutoDefault(true);
    cancelButton->setAutoDefault(true);

    // The two option buttons sit in different containers: one group spanning both
    // keeps them exclusive, and keeps them option buttons for assistive technology.
    optionGroup = new QButtonGroup(this);
    optionGroup->setExclusive(true);
    optionGroup->addButton(copyOption);
    optionGroup->addButton(openOption);

    // Inner right edges: up to the frames' borders, in their own and in the window's coordinates.
    const int frameInner = trayFrame->width() - 2;
    const int windowInner = generalFrame->geometry().right() - 1;
    const std::pair<QWidget*, int> captions[] = {{showSplashCheck, windowInner},
                                                 {placeInTrayCheck, windowInner},
                                                 {copyOption, windowInner},
                                                 {openOption, frameInner},
                                                 {afterSwitchingLabel, frameInner}};
    // A wide desktop font may not fit the design's room even when widened: step the
    // whole dialog's size down a little, never below 7.5 points, until every caption fits.
    for (qreal points = 8.25; points > 7.5; points -= 0.25) {
        const bool fits = std::all_of(std::begin(captions), std::end(captions), [](const auto& c) {
            return c.first->sizeHint().width() <= c.second - c.first->x();
        });
        if (fits)
            break;
        setFont(designFont(points - 0.25));
    }
    for (const auto& [control, limit] : captions)
        fitCaption(control, limit);

    showSplashCheck->raise();
    placeInTrayCheck->raise();
    copyOption->raise();

    setTabOrder(showSplashCheck, placeInTrayCheck);
    setTabOrder(placeInTrayCheck, copyOption);
    setTabOrder(copyOption, openOption);
    setTabOrder(openOption, okButton);
    setTabOrder(okButton, cancelButton);

    connect(okButton, &QPushButton::clicked, this, &OptionsDialog::onOkClicked);
    connect(cancelButton, &QPushButton::clicked, this, &OptionsDialog::onCancelClicked);
    // Every change reaches the settings in memory at once, confirmed or not.
    const std::initializer_list<QAbstractButton*> controls{showSplashCheck, placeInTrayCheck, copyOption, openOption};
    for (QAbstractButton* control : controls)
        connect(control, &QAbstractButton::toggled, this, &OptionsDialog::takeValues);
}

void OptionsDialog::onLoad()
{
    SettingsStore& settings = context().settings;
    settings.load();
    m_loaded = settings.values();
    showValues(m_loaded);
}

void OptionsDialog::showValues(const Settings& values)
{
    showSplashCheck->setChecked(values.showSplash);
    placeInTrayCheck->setChecked(values.placeInTray);
    copyOption->setChecked(values.copyToClipboard);
    openOption->setChecked(!values.copyToClipboard);
}

void OptionsDialog::takeValues()
{
    SettingsStore& settings = context().settings;
    Settings values = settings.values();
    values.showSplash = showSplashCheck->isChecked();
    values.placeInTray = placeInTrayCheck->isChecked();
    values.copyToClipboard = copyOption->isChecked();
    settings.setValues(values);
}

void OptionsDialog::onOkClicked()
{
    if (!context().settings.save())
        // The choice still holds for this run; only keeping it for the next one failed.
        context().services.beeper->beep();
    unloadSettings();
    context().windows.unload(this);
}

void OptionsDialog::onCancelClicked()
{
    context().settings.setValues(m_loaded);
    unloadSettings();
    context().windows.unload(this);
}

void OptionsDialog::closeEvent(QCloseEvent* event)
{
    context().settings.setValues(m_loaded);
    unloadSettings();
    Window::closeEvent(event);
}

void OptionsDialog::unloadSettings()
{
    // Whatever next uses a setting finds this dialog gone, as if it loaded a hidden one
    // again: the values come from the registry once more.
    context().settings.reloadAtNextUse();
}
