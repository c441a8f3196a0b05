#include "doubles/FakeNotifyIcon.h"

#include <algorithm>

#include "platform/Services.h"

namespace platform::fakes {

void FakeNotifyIcon::show(const QIcon& icon, const QString& tip)
{
    calls.append({Call::Kind::Show, tip});
    if (m_shown)
        return;
    m_shown = true;
    m_tip = tip;
    m_icon = icon;
}

void FakeNotifyIcon::hide()
{
    calls.append({Call::Kind::Hide, {}});
    m_shown = false;
}

int FakeNotifyIcon::shows() const
{
    return int(std::count_if(calls.begin(), calls.end(), [](const Call& c) { return c.kind == Call::Kind::Show; }));
}

FakeNotifyIcon* installFakeNotifyIcon(Services& services)
{
    auto fake = std::make_shared<FakeNotifyIcon>();
    services.notifyIcon = fake;
    return fake.get();
}

} // namespace platform::fakes
