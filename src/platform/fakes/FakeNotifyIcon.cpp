#include "platform/fakes/FakeNotifyIcon.h"

namespace platform::fakes {

bool FakeNotifyIcon::Shell_NotifyIcon(quint32 message, const TrayIconData& data)
{
    const std::pair<quint32, quint32> key{data.hWnd, data.uID};
    bool accepted = false;
    if (message == NIM_ADD && !m_icons.count(key)) {
        m_icons[key] = Icon{data, nullptr};
        accepted = true;
    } else if (message == NIM_DELETE) {
        accepted = m_icons.erase(key) > 0;
    }
    requests.append({message, data, accepted});
    return accepted;
}

void FakeNotifyIcon::setIconMenu(quint32 hWnd, quint32 uID, QMenu* menu)
{
    auto it = m_icons.find({hWnd, uID});
    if (it != m_icons.end())
        it->second.menu = menu;
}

const TrayIconData* FakeNotifyIcon::icon(quint32 hWnd, quint32 uID) const
{
    auto it = m_icons.find({hWnd, uID});
    return it == m_icons.end() ? nullptr : &it->second.data;
}

const TrayIconData* FakeNotifyIcon::onlyIcon() const
{
    return m_icons.size() == 1 ? &m_icons.begin()->second.data : nullptr;
}

QMenu* FakeNotifyIcon::menuOf(quint32 hWnd, quint32 uID) const
{
    auto it = m_icons.find({hWnd, uID});
    return it == m_icons.end() ? nullptr : it->second.menu.data();
}

void FakeNotifyIcon::mouse(quint32 hWnd, quint32 uID, quint32 mouseMessage)
{
    if (const TrayIconData* data = icon(hWnd, uID))
        postNotifyIconMessage(*data, mouseMessage);
}

FakeNotifyIcon* installFakeNotifyIcon()
{
    auto fake = std::make_shared<FakeNotifyIcon>();
    services().notifyIcon = fake;
    return fake.get();
}

} // namespace platform::fakes
