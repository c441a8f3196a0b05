#include "app/StartUp.h"

#include "app/Program.h"
#include "ui/dialogs/SplashScreen.h"
#include "ui/main/MainWindow.h"

void startProgram(Program& program)
{
    program.settings().load();
    if (program.settings().values().showSplash)
        // Start-up goes on once it is dismissed.
        program.windows().get<SplashScreen>().showModeless();
    else
        showMainOrTray(program);
}

void showMainOrTray(Program& program)
{
    MainWindow& main = program.windows().get<MainWindow>();
    if (!program.settings().values().placeInTray) {
        main.showModeless();
    } else if (program.tray().isAvailable()) {
        if (!main.putInTray(tray::startUpTip()))
            // No icon to see: the user would be left with nothing at all.
            main.showModeless();
    } else {
        // Without a notification area the user would be left with nothing at all; a
        // panel that starts later still gets the icon.
        main.putInTrayOnceAvailable(tray::startUpTip());
        main.showModeless();
    }
}
