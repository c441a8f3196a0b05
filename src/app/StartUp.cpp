#include "app/StartUp.h"

#include "app/TrayCommands.h"
#include "core/Settings.h"
#include "core/WindowHolder.h"
#include "ui/dialogs/SplashScreen.h"
#include "ui/main/MainWindow.h"
#include "ui/main/TrayIcon.h"

void startProgram()
{
    settings().load();
    if (settings().values().showSplash)
        // Start-up goes on once it is dismissed.
        windows().get<SplashScreen>().showModeless();
    else
        showMainOrTray();
}

void connectProgramWindows()
{
    windows().onBuilt = [](Window& window) {
        if (auto* main = qobject_cast<MainWindow*>(&window))
            QObject::connect(main, &MainWindow::trayConversionRequested, main, convertClipboardText);
        else if (auto* splash = qobject_cast<SplashScreen*>(&window))
            QObject::connect(splash, &SplashScreen::dismissed, splash, showMainOrTray);
    };
}
