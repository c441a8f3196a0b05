#pragma once

#include <QIcon>

#include <functional>
#include <memory>

#include "platform/NotifyIcon.h"

namespace platform {

// The icon on whichever tray the desktop has now: a StatusNotifier host when one is
// registered (Qt's choice too), an XEmbed tray otherwise. It follows hosts that start,
// quit or restart while the program runs, as it is told of them (check()), and shows
// one icon at most.
class DesktopNotifyIcon final : public NotifyIcon {
    Q_OBJECT
public:
    struct Backend {
        std::unique_ptr<NotifyIcon> icon;
        // Whether its host is there now, as last heard; cheap and never blocking.
        std::function<bool()> hostPresent;
    };

    DesktopNotifyIcon(Backend statusNotifier, Backend xembed);
    ~DesktopNotifyIcon() override;

    bool isAvailable() override;
    void show(const QIcon& icon, const QString& tip) override;
    void hide() override;
    bool isShown() const override { return m_active && m_active->isShown(); }
    void setMenu(QMenu* menu) override;
    QRect geometry() const override { return m_active ? m_active->geometry() : QRect(); }

public slots:
    // Looks at both hosts again: moves the icon to the preferred one, and tells when a
    // tray appeared or went away. The icons call it when their hosts change.
    void check();

private:
    NotifyIcon* preferred() const;

    Backend m_sni;
    Backend m_xembed;
    NotifyIcon* m_active = nullptr;
    bool m_available = false;
    QIcon m_icon;
    QString m_tip;
};

} // namespace platform
