#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
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
// Takes the icon away for good: no host that comes later gets it.
void remove();
bool isShown();
// The icon to show as soon as a notification area appears, none being there now.
void want(const QString& tip);
// A notification area appeared or went away. The icon follows it; when it goes while
// the icon was all the user had, the main window comes back.
void hostChanged(bool available);

// The tips: at start-up, and from "Minimize to Tray".
QString startUpTip();
QString minimizeTip();
// The tip as the notification area shows it: at most 64 bytes of its ANSI text, cut
// between characters.
QString shownTip(const QString& tip);

// Where the icon's menu opens: beside the icon, away from the screen edge its panel
// is on (above a bottom panel, below a top one, beside a side one), so that no item
// is under the pointer that opened it. `screen` is the screen's available area; a
// panel that reserves its space lies outside it.
QPoint menuPosition(const QRect& icon, const QRect& screen, const QSize& menu);

} // namespace tray

// After start-up (or the splash): the icon when "Place in tray on start-up" is on and
// the desktop has a notification area, otherwise the main window.
void showMainOrTray();
