#pragma once

#include <QPointer>
#include <QSystemTrayIcon>

#include <functional>
#include <memory>

#include "platform/NotifyIcon.h"

namespace platform {

// How Qt talks to the desktop's tray, chosen once per process: XEmbed (X11 tray hosts;
// Windows reports the same way) or StatusNotifierItem over D-Bus.
enum class TrayProtocol { XEmbed, StatusNotifier };

// XEmbed reports presses and double-clicks: a double click opens, the right press asks
// for the menu. StatusNotifierItem has no double click: the host's activation gesture
// opens, and the host shows the exported menu on its own.
TrayRequest requestFor(QSystemTrayIcon::ActivationReason reason, TrayProtocol protocol);

// The icon through QSystemTrayIcon.
class QtNotifyIcon final : public NotifyIcon {
    Q_OBJECT
public:
    // statusNotifierHost: whether a StatusNotifier host is registered, as last heard
    // (never blocking); none where Qt has only one protocol.
    explicit QtNotifyIcon(std::function<bool()> statusNotifierHost = {});
    ~QtNotifyIcon() override;

    bool isAvailable() override;
    void show(const QIcon& icon, const QString& tip) override;
    void hide() override;
    bool isShown() const override { return m_tray != nullptr; }
    void setMenu(QMenu* menu) override;
    QRect geometry() const override { return m_tray ? m_tray->geometry() : QRect(); }

    // Whether Qt has settled its protocol for this process (on its first icon, asking
    // the StatusNotifier watcher on the UI thread); after that it never asks again.
    static bool protocolSettled();

private:
    // The protocol Qt chose, as this process last heard of StatusNotifier hosts when
    // Qt chose; settled on the first call.
    TrayProtocol protocol();

    std::function<bool()> m_statusNotifierHost;
    std::unique_ptr<QSystemTrayIcon> m_tray;
    QPointer<QMenu> m_menu;
};

} // namespace platform
