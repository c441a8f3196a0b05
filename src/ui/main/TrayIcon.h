#pragma once

#include <QString>

// The program's icon in the notification area: the main window's picture, its tray
// menu, and a tip.
namespace tray {

// Whether the desktop has a notification area to put the icon in.
bool isAvailable();
// Shows the icon (loading the main window, hidden, if needed). While the icon is
// shown a second add changes nothing: the first tip stays. False when there is no
// icon to see afterwards (no service, or no picture to show).
bool add(const QString& tip);
void remove();
bool isShown();

// The tips: at start-up, and from "Minimize to Tray".
QString startUpTip();
QString minimizeTip();
// The tip as the notification area shows it: at most 64 bytes of its ANSI text, cut
// between characters.
QString shownTip(const QString& tip);

} // namespace tray

// After start-up (or the splash): the icon when "Place in tray on start-up" is on and
// the desktop has a notification area, otherwise the main window.
void showMainOrTray();
