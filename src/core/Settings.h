#pragma once

#include "platform/Registry.h"

namespace platform {
struct Services;
}

// Where the program keeps its three settings, and their names.
inline constexpr platform::RegHandle kSettingsRoot = platform::kHkeyCurrentUser;
inline constexpr char kSettingsPath[] = "Software\\Ardelon\\Tovrin";
inline constexpr char kSplashScreen[] = "SplashScreen";
inline constexpr char kPlaceInTray[] = "PlaceInTray";
inline constexpr char kCopy2Clip[] = "Copy2Clip";

struct Settings {
    bool showSplash = false;      // a splash screen at start-up
    bool placeInTray = false;     // start as an icon in the notification area
    bool copyToClipboard = false; // a tray result stays on the clipboard only, no Text Window

    bool operator==(const Settings&) const = default;
};

// The three settings in memory. Loaded from the registry at start-up, each time the
// Options dialog loads, and at the first use after that dialog was unloaded (as a
// reload of the hidden dialog would); the dialog edits these values directly, so a
// choice made there steers the program before it is confirmed. Absent or unusable
// stored values load as false.
class SettingsStore final {
public:
    // Reads and writes through the registry service of `services`, whichever is
    // installed at the time.
    explicit SettingsStore(const platform::Services& services);

    // Leaves the values alone while a change the user confirmed is still unsaved.
    void load();
    // Stores all three as one change. False when they could not be stored; the values
    // in memory stay as they are either way.
    bool save();

    // The values in memory, loaded again first when the Options dialog was unloaded
    // since the last load.
    const Settings& values();
    void setValues(const Settings& values) { m_values = values; }
    // The Options dialog is gone: the next use of a value reads the registry again.
    void reloadAtNextUse() { m_stale = true; }

private:
    const platform::Services& m_services;
    Settings m_values;
    bool m_unsaved = false;
    bool m_stale = false;
};
