#pragma once

class ProgramEnd;
class RandomGenerator;
class SettingsStore;
class TrayIcon;
class WindowHolder;

namespace platform {
struct Services;
}

// What a window reaches beyond itself, all owned by the program object and handed to
// every window the holder builds.
struct WindowContext {
    WindowHolder& windows;
    platform::Services& services;
    SettingsStore& settings;
    TrayIcon& tray;
    ProgramEnd& end;
    // The one generator of the random transform, whose sequence goes on from call to call.
    RandomGenerator& random;
};
