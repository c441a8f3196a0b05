#pragma once

namespace platform {

// Long texts go back to the system as soon as they are freed. The C library would
// otherwise keep freed blocks for reuse, and a program that once converted 10 MiB
// would stay that much larger for the rest of its run. Call once, first thing.
void returnLongTextsWhenFreed();

} // namespace platform
