#include "platform/Services.h"
#include "platform/qt/QtBeeper.h"
#include "platform/qt/QtClipboard.h"
#include "platform/qt/QtLinks.h"
#include "platform/unix/EmulatedRegistry.h"
#include "platform/qt/QtNotifyIcon.h"

namespace platform {

void installNativeServices()
{
    Services& s = services();
    s.clipboard = std::make_unique<QtClipboard>();
    s.links = std::make_unique<QtLinks>();
    s.beeper = std::make_unique<QtBeeper>();
    s.notifyIcon = std::make_shared<QtNotifyIcon>();
    s.registry = makeEmulatedRegistry();
}

} // namespace platform
