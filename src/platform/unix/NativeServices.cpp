#include "platform/Services.h"
#include "platform/qt/QtBeeper.h"
#include "platform/qt/QtClipboard.h"
#include "platform/qt/QtLinks.h"

namespace platform {

void installNativeServices()
{
    Services& s = services();
    s.clipboard = std::make_unique<QtClipboard>();
    s.links = std::make_unique<QtLinks>();
    s.beeper = std::make_unique<QtBeeper>();
}

} // namespace platform
