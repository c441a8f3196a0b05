#pragma once

#include <QString>

#include "platform/NotifyIcon.h"

// The program's one notification-icon record: all zero when the program starts,
// overwritten by each AddTrayIcon, never cleared; RemoveTrayIcon sends whatever it holds.
extern platform::TrayIconData TrayIconData;

// Adds the icon of the main window's Trayicon with this tip (loading the main window,
// hidden, if needed). Refused by the shell, keeping the earlier tip, while it is present.
void AddTrayIcon(const QString& tip);
void RemoveTrayIcon();
// After start-up (or the splash): the icon when "Place in tray on start-up" is on and
// the desktop has a notification area, otherwise the main window.
void ShowMainOrTray();
// True while the program's icon stands in the notification area.
bool TrayIconShown();
// Whether the desktop has a notification area to put the icon in.
bool NotificationAreaAvailable();

// The icon's tips: at start-up, and from "Minimize to Tray".
QString StartUpTrayTip();
QString MinimizeTrayTip();
