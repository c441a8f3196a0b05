#include "platform/FreedMemory.h"

namespace platform {

// The Windows heap hands blocks this large to the system by itself.
void returnLongTextsWhenFreed() {}

} // namespace platform
