#include "platform/qt/QtNotifyIcon.h"

namespace platform {

// The notification area is the shell's own; no session bus, and no D-Bus library
// to ship for it.
bool statusNotifierHostRegistered()
{
    return false;
}

} // namespace platform
