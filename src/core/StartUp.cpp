#include "core/StartUp.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QRadioButton>

#include <optional>

#include "core/Forms.h"
#include "core/Reg.h"
#include "ui/dialogs/frmOptions.h"
#include "ui/dialogs/frmSplash.h"
#include "ui/main/General.h"

namespace {

std::function<void()>& endHandler()
{
    static std::function<void()> handler;
    return handler;
}

bool g_ending = false;

} // namespace

void setEndProgramHandler(std::function<void()> handler)
{
    endHandler() = std::move(handler);
    g_ending = false;
}

bool ProgramEnding()
{
    return g_ending;
}

void EndProgram()
{
    g_ending = true;
    if (endHandler()) {
        endHandler()();
        return;
    }
    // exit(), not quit(): quit() would send every window a close event first.
    QCoreApplication::exit(0);
}

void Main()
{
    const QString path = QString::fromLatin1(kSettingsPath);

    const std::optional<QString> splash = ReadSettingValue(kSettingsRoot, path, QString::fromLatin1(kSplashScreen));
    // The first touch of a control loads the Options window, hidden; its Form_Load reads
    // all three values itself before this assignment overwrites the box.
    forms().get<frmOptions>().ckSplash->setCheckState(CheckStateFromSetting(splash));

    const std::optional<QString> tray = ReadSettingValue(kSettingsRoot, path, QString::fromLatin1(kPlaceInTray));
    forms().get<frmOptions>().ckTrayst->setCheckState(CheckStateFromSetting(tray));

    const std::optional<QString> copy = ReadSettingValue(kSettingsRoot, path, QString::fromLatin1(kCopy2Clip));
    forms().get<frmOptions>().optCopy->setChecked(TruthFromSetting(copy));

    // Exactly one of the two option buttons is on.
    if (!forms().get<frmOptions>().optCopy->isChecked())
        forms().get<frmOptions>().optOpen->setChecked(true);
    else if (forms().get<frmOptions>().optCopy->isChecked())
        forms().get<frmOptions>().optOpen->setChecked(false);

    if (forms().get<frmOptions>().ckSplash->checkState() == Qt::Checked)
        // It calls ShowMainOrTray itself once dismissed.
        forms().get<frmSplash>().showModeless();
    else if (forms().get<frmOptions>().ckSplash->checkState() == Qt::Unchecked)
        ShowMainOrTray();
    // Nothing is written to the store at start-up.
}
