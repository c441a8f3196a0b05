#include "app/DesktopActions.h"

#include "app/TrayCommands.h"
#include "core/WindowHolder.h"
#include "ui/main/MainWindow.h"

QStringList desktopActionNames()
{
    return {QStringLiteral("upper"), QStringLiteral("lower"), QStringLiteral("random"), QStringLiteral("show"),
            QStringLiteral("options")};
}

bool runDesktopAction(const QString& name)
{
    if (name == QLatin1String("upper"))
        convertClipboardText(CaseConversion::Upper);
    else if (name == QLatin1String("lower"))
        convertClipboardText(CaseConversion::Lower);
    else if (name == QLatin1String("random"))
        convertClipboardText(CaseConversion::Random);
    else if (name.isEmpty() || name == QLatin1String("show"))
        windows().get<MainWindow>().showMainWindow();
    else if (name == QLatin1String("options"))
        windows().get<MainWindow>().showOptions();
    else
        return false;
    return true;
}
