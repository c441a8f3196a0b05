#pragma once

#include <memory>

#include "platform/Registry.h"

namespace platform {

// The real registry, through advapi32's ANSI calls and nothing else.
std::shared_ptr<Registry> makeWinRegistry();

} // namespace platform
