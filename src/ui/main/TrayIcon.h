#pragma once

#include <QIcon>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QString>

#include "platform/NotifyIcon.h"

class QMenu;

// The program's icon in the notification area: the picture and menu it is handed, and
// a tip. Docked or not, it is the icon the program means to show: a host that goes
// away takes the icon with it, and one that comes gets it again, with its first tip.
class TrayIcon final : public QObject {
    Q_OBJECT
public:
    // Without a notification-icon service (null) there is no tray.
    explicit TrayIcon(platform::NotifyIcon* icon);

    // Whether the desktop has a notification area to put the icon in.
    bool isAvailable() const;
    bool isShown() const;
    // Where the shown icon is on screen; empty when the host does not say.
    QRect geometry() const;

    // Shows the picture with its tip, and `menu` as the menu a host may show on its
    // own. While the icon is shown a second add changes nothing: the first tip stays.
    // False when there is no icon to see afterwards (no service, or no picture).
    bool add(const QIcon& picture, QMenu* menu, const QString& tip);
    // The icon to show as soon as a notification area appears, none being there now.
    void want(const QIcon& picture, QMenu* menu, const QString& tip);
    // Takes the icon away for good: no host that comes later gets it.
    void remove();

signals:
    // What the user asked of the icon, delivered once the host's own event is over.
    void requested(platform::TrayRequest request);
    // The notification area went away while the icon was shown: it may have been all
    // the user had.
    void lost();

private:
    // A notification area appeared or went away; the icon follows it.
    void hostChanged(bool available);
    void dock();

    platform::NotifyIcon* m_icon;
    QIcon m_picture;
    QPointer<QMenu> m_menu;
    bool m_wanted = false;
    QString m_tip;
};

namespace tray {

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
