#include "platform/EndRequests.h"

namespace platform {

// Windows ends a program with a window through its messages, which Qt turns into the
// program's own close.
std::unique_ptr<EndRequests> watchEndRequests()
{
    return std::make_unique<EndRequests>();
}

} // namespace platform
