#include "platform/Services.h"

namespace platform {

Services& services()
{
    static Services instance;
    return instance;
}

void resetServices()
{
    services() = Services{};
}

} // namespace platform
