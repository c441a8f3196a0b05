#pragma once

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <memory>

#include "platform/NotifyIcon.h"

class QDBusPendingCallWatcher;
class QDBusServiceWatcher;

namespace platform {

class DBusMenuExport;

// An icon picture as StatusNotifierItem sends it: ARGB32, network byte order.
struct SniImage {
    int width = 0;
    int height = 0;
    QByteArray bytes;
};
using SniImageList = QList<SniImage>;

struct SniToolTip {
    QString iconName;
    SniImageList images;
    QString title;
    QString text;
};

QDBusArgument& operator<<(QDBusArgument& arg, const SniImage& image);
const QDBusArgument& operator>>(const QDBusArgument& arg, SniImage& image);
QDBusArgument& operator<<(QDBusArgument& arg, const SniToolTip& tip);
const QDBusArgument& operator>>(const QDBusArgument& arg, SniToolTip& tip);

// The icon's pictures at the sizes panels ask for.
SniImageList sniImages(const QIcon& icon);

class StatusNotifierItemExport;

// The icon as a StatusNotifierItem of the program's own, with the menu exported over
// dbusmenu. Qt picks its tray protocol once per process and never moves to a
// StatusNotifier host that starts later; this one follows the host's watcher as it
// comes, goes and restarts.
class StatusNotifierIcon final : public NotifyIcon {
    Q_OBJECT
public:
    explicit StatusNotifierIcon(QDBusConnection bus = QDBusConnection::sessionBus());
    ~StatusNotifierIcon() override;

    // Whether a StatusNotifier host is registered, as last heard; see refresh().
    bool isAvailable() override { return m_hostPresent; }
    void show(const QIcon& icon, const QString& tip) override;
    void hide() override;
    bool isShown() const override { return m_shown; }
    void setMenu(QMenu* menu) override;
    // Hosts place the icon's menu themselves and do not say where the icon is.
    QRect geometry() const override { return {}; }

    // Whether a question to the watcher now gets its answer at once: there is no
    // watcher, or it answered the last one. (Qt's own tray icon asks the watcher on
    // the UI thread, once per process, with D-Bus's 25 s time-out.)
    bool watcherAnswers() const { return m_watcherAnswers; }

public slots:
    // Asks the watcher again without waiting for it; availabilityChanged follows
    // when the answer differs.
    void refresh();

signals:
    void watcherAnswersChanged(bool answers);

private slots:
    void itemDropped(const QString& item);

private:
    friend class StatusNotifierItemExport;
    void registerWithWatcher();
    void heard(const QDBusMessage& reply);
    void setHostPresent(bool present);
    void setWatcherAnswers(bool answers);

    QDBusConnection m_bus;
    QString m_service;
    QDBusServiceWatcher* m_watcher = nullptr;
    StatusNotifierItemExport* m_item = nullptr;
    DBusMenuExport* m_menuExport = nullptr;
    // The main window owns the menu and may go first.
    QPointer<QMenu> m_menu;
    bool m_hostPresent = false;
    bool m_watcherAnswers = true;
    bool m_watcherOwned = false;
    bool m_shown = false;
    QDBusPendingCallWatcher* m_asking = nullptr;
    QTimer m_silence;
    QTimer m_registerAgain;
    int m_droppedTimes = 0;
    QIcon m_icon;
    QString m_tip;
};

} // namespace platform

Q_DECLARE_METATYPE(platform::SniImage)
Q_DECLARE_METATYPE(platform::SniToolTip)
