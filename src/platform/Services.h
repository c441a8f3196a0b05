#pragma once

#include <memory>

#include "platform/Beeper.h"
#include "platform/Clipboard.h"
#include "platform/Links.h"
#include "platform/SelectionPaster.h"

namespace platform {

class Registry;
class NotifyIcon;

// The program reaches the outside world only through these. Wired once at start-up
// (installNativeServices), replaced by doubles in tests.
struct Services {
    std::unique_ptr<Clipboard> clipboard;
    std::unique_ptr<Links> links;
    std::unique_ptr<Beeper> beeper;
    std::shared_ptr<Registry> registry;
    std::shared_ptr<NotifyIcon> notifyIcon;
    std::unique_ptr<SelectionPaster> selectionPaster;
};

Services& services();
// Installs the backends of the platform the program was built for.
void installNativeServices();
void resetServices();

inline Clipboard& clipboard() { return *services().clipboard; }
inline Links& links() { return *services().links; }
inline Beeper& beeper() { return *services().beeper; }

} // namespace platform
