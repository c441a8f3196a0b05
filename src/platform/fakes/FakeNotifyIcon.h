#pragma once

#include <QList>
#include <QPointer>
#include <QMenu>

#include <map>
#include <utility>

#include "platform/NotifyIcon.h"

namespace platform::fakes {

// The shell's notification area, in memory: it keeps the shell's rules (one icon per
// (hWnd, uID), a second add refused, a delete of an absent icon ignored) and records
// every request.
class FakeNotifyIcon final : public NotifyIcon {
public:
    struct Request {
        quint32 message;
        TrayIconData data;
        bool accepted;
    };

    bool Shell_NotifyIcon(quint32 message, const TrayIconData& data) override;
    bool hasIcon(quint32 hWnd, quint32 uID) const override { return icon(hWnd, uID) != nullptr; }
    bool isSystemTrayAvailable() override { return trayAvailable; }
    void setIconMenu(quint32 hWnd, quint32 uID, QMenu* menu) override;

    int iconCount() const { return static_cast<int>(m_icons.size()); }
    // The icon the shell holds for (hWnd, uID), or null.
    const TrayIconData* icon(quint32 hWnd, quint32 uID) const;
    // The one icon present; fails the caller's expectations if there is not exactly one.
    const TrayIconData* onlyIcon() const;
    QMenu* menuOf(quint32 hWnd, quint32 uID) const;

    // A mouse message over the icon, queued for its window as the shell does.
    void mouse(quint32 hWnd, quint32 uID, quint32 mouseMessage);

    bool trayAvailable = true;
    QList<Request> requests;

private:
    struct Icon {
        TrayIconData data;
        QPointer<QMenu> menu;
    };
    std::map<std::pair<quint32, quint32>, Icon> m_icons;
};

// Installs a fresh fake as the notification-icon service and hands it back.
FakeNotifyIcon* installFakeNotifyIcon();

} // namespace platform::fakes
