#pragma once

#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>

#include <map>
#include <memory>
#include <utility>

#include "platform/NotifyIcon.h"

namespace platform {

// Notification icons through QSystemTrayIcon, one per (hWnd, uID).
//
// Qt talks to the desktop in one of two ways, chosen once per process: XEmbed (X11
// tray hosts; Windows behaves the same) reports presses and double-clicks, while
// StatusNotifierItem over D-Bus has no double-click: there the host's activation
// gesture stands for it, and the host shows the menu it was given on its own.
class QtNotifyIcon final : public QObject, public NotifyIcon {
    Q_OBJECT
public:
    QtNotifyIcon();
    ~QtNotifyIcon() override;

    bool Shell_NotifyIcon(quint32 message, const TrayIconData& data) override;
    bool hasIcon(quint32 hWnd, quint32 uID) const override { return m_icons.count({hWnd, uID}) > 0; }
    bool isSystemTrayAvailable() override;
    void setIconMenu(quint32 hWnd, quint32 uID, QMenu* menu) override;

    // The mouse message an activation of Qt's icon stands for; 0 for none.
    static quint32 mouseMessageFor(QSystemTrayIcon::ActivationReason reason, bool statusNotifier);
    // Whether Qt shows this process's icons through a StatusNotifier host.
    static bool usesStatusNotifier();

private:
    struct Icon {
        TrayIconData data;
        std::unique_ptr<QSystemTrayIcon> tray;
    };
    using Key = std::pair<quint32, quint32>;

    bool add(const TrayIconData& data);
    bool remove(const TrayIconData& data);

    std::map<Key, Icon> m_icons;
};

} // namespace platform
