#include "platform/unix/DesktopNotifyIcon.h"

namespace platform {

DesktopNotifyIcon::DesktopNotifyIcon(Backend statusNotifier, Backend xembed)
    : m_sni(std::move(statusNotifier))
    , m_xembed(std::move(xembed))
{
    for (Backend* b : {&m_sni, &m_xembed}) {
        if (!b->icon)
            continue;
        connect(b->icon.get(), &NotifyIcon::requested, this, [this, icon = b->icon.get()](TrayRequest request) {
            // Only the icon on show speaks for the program.
            if (icon == m_active)
                emit requested(request);
        });
        connect(b->icon.get(), &NotifyIcon::availabilityChanged, this, &DesktopNotifyIcon::check);
    }
    m_available = preferred() != nullptr;
}

DesktopNotifyIcon::~DesktopNotifyIcon()
{
    hide();
}

NotifyIcon* DesktopNotifyIcon::preferred() const
{
    if (m_sni.icon && m_sni.hostPresent())
        return m_sni.icon.get();
    if (m_xembed.icon && m_xembed.hostPresent())
        return m_xembed.icon.get();
    return nullptr;
}

bool DesktopNotifyIcon::isAvailable()
{
    m_available = preferred() != nullptr;
    return m_available;
}

void DesktopNotifyIcon::show(const QIcon& icon, const QString& tip)
{
    if (isShown())
        return;
    m_icon = icon;
    m_tip = tip;
    m_active = preferred();
    if (m_active)
        m_active->show(icon, tip);
}

void DesktopNotifyIcon::hide()
{
    if (m_active)
        m_active->hide();
    m_active = nullptr;
}

void DesktopNotifyIcon::setMenu(QMenu* menu)
{
    for (Backend* b : {&m_sni, &m_xembed}) {
        if (b->icon)
            b->icon->setMenu(menu);
    }
}

void DesktopNotifyIcon::check()
{
    NotifyIcon* next = preferred();
    // The icon moves to a host it prefers; the first goes before the second shows, so
    // there is never more than one.
    if (m_active && next && next != m_active) {
        m_active->hide();
        m_active = next;
        m_active->show(m_icon, m_tip);
    }
    const bool available = next != nullptr;
    if (available != m_available) {
        m_available = available;
        emit availabilityChanged(available);
    }
}

} // namespace platform
