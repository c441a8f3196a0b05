#include "platform/qt/QtNotifyIcon.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusInterface>
#include <QMenu>
#include <QPixmap>
#include <QWidget>

#include <vector>

namespace platform {

namespace {

struct IconEntry {
    qint64 key;
    QIcon icon;
};

std::vector<IconEntry>& iconTable()
{
    static std::vector<IconEntry> table;
    return table;
}

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

} // namespace

quint32 iconHandle(const QPixmap& picture)
{
    if (picture.isNull())
        return 0;
    auto& table = iconTable();
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (table[i].key == picture.cacheKey())
            return static_cast<quint32>(i + 1);
    }
    table.push_back({picture.cacheKey(), QIcon(picture)});
    return static_cast<quint32>(table.size());
}

QIcon iconFromHandle(quint32 handle)
{
    const auto& table = iconTable();
    if (handle == 0 || handle > table.size())
        return {};
    return table[handle - 1].icon;
}

NotifyIconEvent::NotifyIconEvent(quint32 uID, quint32 callbackMessage, quint32 mouseMessage)
    : QEvent(eventType())
    , m_uID(uID)
    , m_callbackMessage(callbackMessage)
    , m_mouseMessage(mouseMessage)
{
}

QEvent::Type NotifyIconEvent::eventType()
{
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

void postNotifyIconMessage(const TrayIconData& data, quint32 mouseMessage)
{
    if (!(data.uFlags & NIF_MESSAGE) || mouseMessage == 0)
        return;
    if (QWidget* owner = QWidget::find(static_cast<WId>(data.hWnd)))
        QCoreApplication::postEvent(owner, new NotifyIconEvent(data.uID, data.uCallbackMessage, mouseMessage));
}

QtNotifyIcon::QtNotifyIcon() = default;

QtNotifyIcon::~QtNotifyIcon() = default;

bool QtNotifyIcon::Shell_NotifyIcon(quint32 message, const TrayIconData& data)
{
    switch (message) {
    case NIM_ADD:
        return add(data);
    case NIM_DELETE:
        return remove(data);
    default:
        return false;
    }
}

bool QtNotifyIcon::add(const TrayIconData& data)
{
    const Key key{data.hWnd, data.uID};
    if (m_icons.count(key))
        return false;

    Icon& entry = m_icons[key];
    entry.data = data;
    entry.tray = std::make_unique<QSystemTrayIcon>();
    QSystemTrayIcon* tray = entry.tray.get();
    if (data.uFlags & NIF_ICON)
        tray->setIcon(iconFromHandle(data.hIcon));
    if (data.uFlags & NIF_TIP)
        tray->setToolTip(tipText(data));
    const bool statusNotifier = usesStatusNotifier();
    connect(tray, &QSystemTrayIcon::activated, this, [this, key, statusNotifier](QSystemTrayIcon::ActivationReason r) {
        auto it = m_icons.find(key);
        if (it != m_icons.end())
            postNotifyIconMessage(it->second.data, mouseMessageFor(r, statusNotifier));
    });
    tray->show();
    return true;
}

bool QtNotifyIcon::remove(const TrayIconData& data)
{
    auto it = m_icons.find({data.hWnd, data.uID});
    if (it == m_icons.end())
        return false;
    it->second.tray->hide();
    m_icons.erase(it);
    return true;
}

bool QtNotifyIcon::isSystemTrayAvailable()
{
    const bool available = QSystemTrayIcon::isSystemTrayAvailable();
    usesStatusNotifier();
    return available;
}

void QtNotifyIcon::setIconMenu(quint32 hWnd, quint32 uID, QMenu* menu)
{
    auto it = m_icons.find({hWnd, uID});
    // XEmbed and Windows hand the right button to the program, whose handler opens
    // the menu itself; given the menu too, Qt would open it a second time.
    if (it == m_icons.end() || !usesStatusNotifier())
        return;
    it->second.tray->setContextMenu(menu);
}

bool QtNotifyIcon::usesStatusNotifier()
{
    // Decided once, like Qt's own choice; a host that registers later is not used.
    static const bool decided = statusNotifierHostRegistered();
    return decided;
}

quint32 QtNotifyIcon::mouseMessageFor(QSystemTrayIcon::ActivationReason reason, bool statusNotifier)
{
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        // A StatusNotifier host's activation is its double-click.
        return statusNotifier ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN;
    case QSystemTrayIcon::DoubleClick:
        return WM_LBUTTONDBLCLK;
    case QSystemTrayIcon::Context:
        return WM_RBUTTONDOWN;
    case QSystemTrayIcon::MiddleClick:
        return WM_MBUTTONDOWN;
    case QSystemTrayIcon::Unknown:
        break;
    }
    return 0;
}

} // namespace platform
