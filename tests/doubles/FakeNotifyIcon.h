#pragma once

#include <QIcon>
#include <QList>
#include <QPointer>
#include <QMenu>

#include "platform/NotifyIcon.h"

namespace platform {
struct Services;
}

namespace platform::fakes {

// The desktop's notification area, in memory: one icon, every request recorded.
class FakeNotifyIcon final : public NotifyIcon {
    Q_OBJECT
public:
    struct Call {
        enum class Kind { Show, Hide } kind;
        QString tip;
    };

    bool isAvailable() override { return trayAvailable; }
    void show(const QIcon& icon, const QString& tip) override;
    void hide() override;
    bool isShown() const override { return m_shown; }
    void setMenu(QMenu* menu) override { m_menu = menu; }
    QRect geometry() const override { return m_shown ? iconGeometry : QRect(); }

    QString tip() const { return m_tip; }
    QIcon icon() const { return m_icon; }
    QMenu* menu() const { return m_menu.data(); }
    int shows() const;

    // The user asks something of the icon, as a tray host reports it.
    void request(TrayRequest request) { emit requested(request); }
    // A tray host starts or goes away.
    void setAvailable(bool available)
    {
        trayAvailable = available;
        emit availabilityChanged(available);
    }

    bool trayAvailable = true;
    // Where the host docked the icon.
    QRect iconGeometry;
    QList<Call> calls;

private:
    bool m_shown = false;
    QString m_tip;
    QIcon m_icon;
    QPointer<QMenu> m_menu;
};

// Installs a fresh fake as the notification-icon service and hands it back.
FakeNotifyIcon* installFakeNotifyIcon(Services& services);

} // namespace platform::fakes
