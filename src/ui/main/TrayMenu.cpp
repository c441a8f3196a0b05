#include "ui/main/TrayMenu.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

#include "ui/main/TrayIcon.h"

TrayMenu::TrayMenu(QWidget* parent)
    : QMenu(QStringLiteral("Tray"), parent)
{
    setObjectName("mnuTray");
    auto item = [](QMenu* menu, const char* name, const QString& caption) {
        QAction* a = menu->addAction(caption);
        a->setObjectName(name);
        return a;
    };
    auto choice = [this, item](QMenu* menu, const char* name, const QString& caption, void (TrayMenu::*signal)()) {
        connect(item(menu, name, caption), &QAction::triggered, this, signal);
    };
    auto conversion = [this, item](const char* name, const QString& caption, CaseConversion c) {
        connect(item(this, name, caption), &QAction::triggered, this, [this, c] { emit conversionChosen(c); });
    };

    choice(this, "mnuExitT", QStringLiteral("E&xit"), &TrayMenu::exitChosen);
    // Choosing it only closes the menu.
    item(this, "mnuCancel", QStringLiteral("&Cancel"));
    addSeparator()->setObjectName("kjlh");
    QMenu* program = addMenu(QStringLiteral("&Tovrin"));
    program->setObjectName("mnuTovrin");
    choice(program, "mnuCred", QStringLiteral("&Credits..."), &TrayMenu::creditsChosen);
    choice(program, "mnuAbou", QStringLiteral("&About..."), &TrayMenu::aboutChosen);
    choice(program, "mnuOption", QStringLiteral("&Options..."), &TrayMenu::optionsChosen);
    choice(program, "mnuEmail", QStringLiteral("&Email Ardelon"), &TrayMenu::mailChosen);
    addSeparator()->setObjectName("mnuSpac");
    choice(this, "mnuMain", QStringLiteral("Main &Window"), &TrayMenu::mainWindowChosen);
    addSeparator()->setObjectName("mnuSpace");
    conversion("mnuRnd", QStringLiteral("rAnDOm"), CaseConversion::Random);
    conversion("mnuLow", QStringLiteral("&lowercase"), CaseConversion::Lower);
    conversion("mnuUp", QStringLiteral("&UPPERCASE"), CaseConversion::Upper);
}

void TrayMenu::popUpBeside(QRect icon)
{
    // A click on the icon while its menu is open only closes the menu.
    if (isVisible()) {
        close();
        return;
    }
    // A host that does not say where the icon is: the pointer is on it.
    if (icon.isEmpty())
        icon = QRect(QCursor::pos(), QSize(1, 1));
    // Qt gives the icon's place in whole device-independent pixels; at twice the density
    // (or a fractional one) that may be half a pixel off either way, which would put the
    // menu's edge on the icon's: one pixel more all round keeps it clear.
    icon.adjust(-1, -1, 1, 1);
    QScreen* screen = QGuiApplication::screenAt(icon.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    ensurePolished();
    // The press that closes the menu (a second click on the icon) must not reach the
    // icon again and reopen it.
    setAttribute(Qt::WA_NoMouseReplay);
    // Runs until the menu closes; the chosen item's handler runs inside.
    exec(tray::menuPosition(icon, screen->availableGeometry(), sizeHint()));
}
