#include "app/DesktopActions.h"

#include "app/Program.h"
#include "app/TrayCommands.h"
#include "ui/main/MainWindow.h"

QStringList desktopActionNames()
{
    return {QStringLiteral("upper"), QStringLiteral("lower"), QStringLiteral("random"), QStringLiteral("show"),
            QStringLiteral("options")};
}

bool runDesktopAction(Program& program, const QString& name)
{
    if (name == QLatin1String("upper"))
        convertClipboardText(program, CaseConversion::Upper);
    else if (name == QLatin1String("lower"))
        convertClipboardText(program, CaseConversion::Lower);
    else if (name == QLatin1String("random"))
        convertClipboardText(program, CaseConversion::Random);
    else if (name.isEmpty() || name == QLatin1String("show"))
        program.windows().get<MainWindow>().showMainWindow();
    else if (name == QLatin1String("options"))
        program.windows().get<MainWindow>().showOptions();
    else
        return false;
    return true;
}
