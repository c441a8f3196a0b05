#pragma once

#include <memory>

#include "platform/Registry.h"

// The backend the conformance cases run against. `fresh` starts from an empty
// current-user hive; otherwise the backend is built anew over what is stored.
std::shared_ptr<platform::Registry> makeConformanceBackend(bool fresh);
