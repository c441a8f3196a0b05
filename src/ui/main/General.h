#pragma once

#include <QString>

// The notification-area icon of the program and the choice made at start-up between
// the icon and the main window.
void AddTrayIcon(const QString& tip);
void RemoveTrayIcon();
void ShowMainOrTray();
// True while the program's icon stands in the notification area.
bool TrayIconShown();
