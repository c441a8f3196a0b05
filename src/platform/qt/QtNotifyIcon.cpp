#include "platform/qt/QtNotifyIcon.h"

#include <QMenu>

#include <optional>

namespace platform {

namespace {

std::optional<TrayProtocol>& qtProtocol()
{
    // Qt's choice is one per process, like this.
    static std::optional<TrayProtocol> chosen;
    return chosen;
}

} // namespace

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

QtNotifyIcon::QtNotifyIcon(std::function<bool()> statusNotifierHost)
    : m_statusNotifierHost(std::move(statusNotifierHost))
{
}

QtNotifyIcon::~QtNotifyIcon() = default;

bool QtNotifyIcon::isAvailable()
{
    // Settle the protocol now, as Qt does here.
    protocol();
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void QtNotifyIcon::show(const QIcon& icon, const QString& tip)
{
    if (m_tray)
        return;
    // Before Qt's first icon, which settles Qt's protocol.
    protocol();
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

bool QtNotifyIcon::protocolSettled()
{
    return qtProtocol().has_value();
}

TrayProtocol QtNotifyIcon::protocol()
{
    std::optional<TrayProtocol>& chosen = qtProtocol();
    if (!chosen) {
        // Qt prefers a StatusNotifier host whenever one is registered, and asks once.
        chosen = m_statusNotifierHost && m_statusNotifierHost() ? TrayProtocol::StatusNotifier : TrayProtocol::XEmbed;
    }
    return *chosen;
}

} // namespace platform
