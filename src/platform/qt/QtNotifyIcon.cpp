#include "platform/qt/QtNotifyIcon.h"

#include <QMenu>

namespace platform {

TrayRequest requestFor(QSystemTrayIcon::ActivationReason reason, TrayProtocol protocol)
{
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        return protocol == TrayProtocol::StatusNotifier ? TrayRequest::Open : TrayRequest::None;
    case QSystemTrayIcon::DoubleClick:
        return TrayRequest::Open;
    case QSystemTrayIcon::Context:
        return TrayRequest::Menu;
    case QSystemTrayIcon::MiddleClick:
    case QSystemTrayIcon::Unknown:
        break;
    }
    return TrayRequest::None;
}

QtNotifyIcon::QtNotifyIcon() = default;

QtNotifyIcon::~QtNotifyIcon() = default;

bool QtNotifyIcon::isAvailable()
{
    const bool available = QSystemTrayIcon::isSystemTrayAvailable();
    // Settle the protocol now, as Qt does on its first icon.
    protocol();
    return available;
}

void QtNotifyIcon::show(const QIcon& icon, const QString& tip)
{
    if (m_tray)
        return;
    m_tray = std::make_unique<QSystemTrayIcon>(icon);
    m_tray->setToolTip(tip);
    // XEmbed and Windows hand the right button to the program, which opens the menu
    // itself; given the menu too, Qt would open it a second time.
    if (m_menu && protocol() == TrayProtocol::StatusNotifier)
        m_tray->setContextMenu(m_menu);
    connect(m_tray.get(), &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        const TrayRequest request = requestFor(reason, protocol());
        if (request != TrayRequest::None)
            emit requested(request);
    });
    m_tray->show();
}

void QtNotifyIcon::hide()
{
    if (!m_tray)
        return;
    m_tray->hide();
    m_tray.reset();
}

void QtNotifyIcon::setMenu(QMenu* menu)
{
    m_menu = menu;
    if (m_tray && protocol() == TrayProtocol::StatusNotifier)
        m_tray->setContextMenu(menu);
}

TrayProtocol QtNotifyIcon::protocol()
{
    // Decided once, like Qt's own choice; a host that registers later is not used.
    static const TrayProtocol decided =
        statusNotifierHostRegistered() ? TrayProtocol::StatusNotifier : TrayProtocol::XEmbed;
    return decided;
}

} // namespace platform
