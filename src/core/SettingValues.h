#pragma once

#include <QString>

#include <optional>

#include "platform/Registry.h"

// Text values under a registry key. Generic (root, path, name), no state and no
// cache: every call opens the key and closes it again. An absent value (no key, no
// value, not a string, no registry at all) is std::nullopt, never "".

std::optional<QString> readSettingValue(platform::Registry* registry, platform::RegHandle root, const QString& path,
                                        const QString& name);
// Stores the text as a string value, creating the key path where needed; the
// registry's result code.
platform::RegStatus writeSettingValue(platform::Registry* registry, platform::RegHandle root, const QString& path,
                                      const QString& name, const QString& value);

// A stored text up to its first NUL.
QString trimAtNul(const QString& text);

// Stored text -> setting. Only the texts the program writes count; anything else
// ("2", "", " 1", "true", ...) is treated like an absent value.
std::optional<bool> checkSettingValue(const std::optional<QString>& stored); // "1" / "0"
std::optional<bool> truthSettingValue(const std::optional<QString>& stored); // "True" / "False"

// Setting -> stored text.
QString settingFromCheck(bool checked); // "1" / "0"
QString settingFromTruth(bool value);   // "True" / "False"
