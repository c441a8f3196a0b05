#include "ui/main/General.h"

#include "core/Forms.h"
#include "ui/main/frmCase.h"

void AddTrayIcon(const QString&)
{
}

void RemoveTrayIcon()
{
}

bool TrayIconShown()
{
    return false;
}

void ShowMainOrTray()
{
    forms().get<frmCase>().showModeless();
}
