// Backend for the Windows build of the conformance cases: the real advapi32. The
// test starts it in an empty Wine prefix, so the hive is fresh.
#include "registry/ConformanceBackend.h"
#include "platform/win/WinRegistry.h"

std::shared_ptr<platform::Registry> makeConformanceBackend(bool)
{
    return platform::makeWinRegistry();
}
