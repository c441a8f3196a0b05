#include "platform/FreedMemory.h"

// The C library's headers define __GLIBC__: tested before any of them is included, it
// is never defined.
#include <cstdlib>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace platform {

void returnLongTextsWhenFreed()
{
#if defined(__GLIBC__)
    // Blocks from 256 KiB on get pages of their own, unmapped when freed. Setting the
    // limit also stops glibc from raising it after the first such block is freed,
    // after which the next long texts came from the heap and stayed resident.
    mallopt(M_MMAP_THRESHOLD, 256 * 1024);
#endif
}

} // namespace platform
