#include "app/Program.h"

#include "app/StartUp.h"
#include "app/TrayCommands.h"
#include "ui/dialogs/SplashScreen.h"
#include "ui/main/MainWindow.h"

Program::Program(platform::Services services)
    : m_services(std::move(services))
    , m_tray(m_services.notifyIcon.get())
    , m_context{m_windows, m_services, m_settings, m_tray, m_end, m_random}
{
    m_windows.onBuilt = [this](Window& window) { connectWindow(window); };
    // The program lives while any of its windows is loaded, visible or not.
    m_windows.onLastUnloaded = [this] { m_end.end(); };
}

Program::~Program()
{
    m_windows.onLastUnloaded = nullptr;
    m_windows.destroyAll();
}

void Program::connectWindow(Window& window)
{
    if (auto* main = qobject_cast<MainWindow*>(&window))
        QObject::connect(main, &MainWindow::trayConversionRequested, main,
                         [this](CaseConversion conversion) { convertClipboardText(*this, conversion); });
    else if (auto* splash = qobject_cast<SplashScreen*>(&window))
        QObject::connect(splash, &SplashScreen::dismissed, splash, [this] { showMainOrTray(*this); });
}
