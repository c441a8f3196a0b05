#pragma once

#include <optional>

#include "convert/RandomGenerator.h"
#include "core/ProgramEnd.h"
#include "core/Settings.h"
#include "platform/Services.h"
#include "ui/main/TrayIcon.h"
#include "ui/windows/WindowContext.h"
#include "ui/windows/WindowHolder.h"

// The running program: owns the outside services, the settings, the tray icon, the
// windows and how the program ends, and hands each to what needs it. Windows get
// them when the holder builds them; the commands above the windows take the program.
// What the tray's conversions keep between one another.
struct TrayConversions {
    int running = 0; // nested in one another while rAnDOm lets events run
    std::optional<size_t> lastWritten; // what this program last put on the clipboard
};

class Program final {
public:
    explicit Program(platform::Services services);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    platform::Services& services() { return m_services; }
    SettingsStore& settings() { return m_settings; }
    TrayIcon& tray() { return m_tray; }
    ProgramEnd& end() { return m_end; }
    RandomGenerator& random() { return m_random; }
    TrayConversions& conversions() { return m_conversions; }
    WindowHolder& windows() { return m_windows; }
    WindowContext& context() { return m_context; }

private:
    // Connects each window built to the commands that live above the windows.
    void connectWindow(Window& window);

    platform::Services m_services;
    SettingsStore m_settings{m_services};
    ProgramEnd m_end;
    RandomGenerator m_random;
    TrayConversions m_conversions;
    TrayIcon m_tray;
    WindowContext m_context;
    WindowHolder m_windows{m_context};
};
