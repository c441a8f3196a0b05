#pragma once

#include "platform/Registry.h"

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

// The three settings in memory. Loaded from the registry at start-up and each time the
// Options dialog loads; the dialog edits these values directly, so a choice made there
// steers the program before it is confirmed. Absent or unusable stored values load as
// false.
class SettingsStore final {
public:
    // Leaves the values alone while a change the user confirmed is still unsaved.
    void load();
    // Stores all three as one change. False when they could not be stored; the values
    // in memory stay as they are either way.
    bool save();

    const Settings& values() const { return m_values; }
    void setValues(const Settings& values) { m_values = values; }
    // Forgets everything, as at the start of a run.
    void reset() { *this = SettingsStore{}; }

private:
    Settings m_values;
    bool m_unsaved = false;
};

SettingsStore& settings();
