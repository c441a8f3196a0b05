#pragma once

#include <QIcon>
#include <QObject>
#include <QRect>
#include <QString>


class QMenu;

namespace platform {

// What the user asked of the icon.
enum class TrayRequest { None, Open, Menu };

// The program's icon in the desktop's notification area ("tray").
class NotifyIcon : public QObject {
    Q_OBJECT
public:
    // Whether the desktop has a notification area at all.
    virtual bool isAvailable() = 0;
    virtual void show(const QIcon& icon, const QString& tip) = 0;
    virtual void hide() = 0;
    virtual bool isShown() const = 0;
    // The menu a host shows on its own (StatusNotifier hosts never ask the program to
    // show one). Hosts that report the right button to the program ignore it.
    virtual void setMenu(QMenu* menu) = 0;
    // Where the shown icon is on screen, in logical pixels; empty when the host does not
    // say (StatusNotifier hosts place their own menus).
    virtual QRect geometry() const = 0;

signals:
    void requested(platform::TrayRequest request);
    // The notification area appeared or went away (a panel started, quit or restarted).
    void availabilityChanged(bool available);
};

} // namespace platform
