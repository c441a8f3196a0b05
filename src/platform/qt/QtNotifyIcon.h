#pragma once

#include <QPointer>
#include <QSystemTrayIcon>

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

// Whether a StatusNotifier host is registered on the session bus, asked as Qt asks;
// per system (platform/unix on the bus, platform/win: Windows has none).
bool statusNotifierHostRegistered();

// The icon through QSystemTrayIcon.
class QtNotifyIcon final : public NotifyIcon {
    Q_OBJECT
public:
    QtNotifyIcon();
    ~QtNotifyIcon() override;

    bool isAvailable() override;
    void show(const QIcon& icon, const QString& tip) override;
    void hide() override;
    bool isShown() const override { return m_tray != nullptr; }
    void setMenu(QMenu* menu) override;
    QRect geometry() const override { return m_tray ? m_tray->geometry() : QRect(); }

    // Whether Qt shows this process's icons through a StatusNotifier host.
    static TrayProtocol protocol();

private:
    std::unique_ptr<QSystemTrayIcon> m_tray;
    QPointer<QMenu> m_menu;
};

} // namespace platform
