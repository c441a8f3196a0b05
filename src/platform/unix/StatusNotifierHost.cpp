#include "platform/qt/QtNotifyIcon.h"

#include <QDBusConnection>
#include <QDBusInterface>

namespace platform {

// Qt prefers a StatusNotifier host whenever one is registered on the session bus,
// and asks once per process; this asks the same question the same way.
bool statusNotifierHostRegistered()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    QDBusInterface watcher(QStringLiteral("org.kde.StatusNotifierWatcher"), QStringLiteral("/StatusNotifierWatcher"),
                           QStringLiteral("org.kde.StatusNotifierWatcher"), bus);
    return watcher.isValid() && watcher.property("IsStatusNotifierHostRegistered").toBool();
}

} // namespace platform
