#pragma once

#include <QString>

#include <optional>

#include "platform/Registry.h"

// The settings store: text values under a registry key. Generic (root, path, name),
// no state and no cache: every call opens the key and closes it again.
// An absent value (no key, no value, not a string) is std::nullopt, never "".

// Where the program keeps its three settings, and their names.
inline constexpr platform::RegHandle kSettingsRoot = platform::kHkeyCurrentUser;
inline constexpr char kSettingsPath[] = "Software\\Ardelon\\Tovrin";
inline constexpr char kSplashScreen[] = "SplashScreen";
inline constexpr char kPlaceInTray[] = "PlaceInTray";
inline constexpr char kCopy2Clip[] = "Copy2Clip";

std::optional<QString> ReadSettingValue(platform::RegHandle root, const QString& path, const QString& name);
void WriteSettingValue(platform::RegHandle root, const QString& path, const QString& name, const QString& value);

// Used by ReadSettingValue only; exposed for tests.
std::optional<QString> QueryTextValue(platform::RegHandle key, const QString& name);
QString TrimAtNul(const QString& text);

// Stored text -> setting. Only the texts the program writes count; anything else
// ("2", "", " 1", "true", ...) is treated like an absent value.
std::optional<bool> CheckSettingValue(const std::optional<QString>& stored);  // "1" / "0"
std::optional<bool> TruthSettingValue(const std::optional<QString>& stored);  // "True" / "False"
// The same, with absent (or unusable) giving unchecked / false.
Qt::CheckState CheckStateFromSetting(const std::optional<QString>& stored);
bool TruthFromSetting(const std::optional<QString>& stored);

// Setting -> stored text.
QString SettingFromCheckState(Qt::CheckState state); // "1" when checked, else "0"
QString SettingFromTruth(bool value);                // "True" / "False"
