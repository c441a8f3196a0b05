#include "platform/unix/ReadLimit.h"

#include <unistd.h>

#include <algorithm>

namespace platform {

qsizetype clipboardReadLimit()
{
    constexpr qint64 kMost = qint64(1) << 30;
    constexpr qint64 kLeast = qint64(64) << 20;
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGE_SIZE);
    if (pages <= 0 || pageSize <= 0)
        return qsizetype(kMost);
    return qsizetype(std::clamp(qint64(pages) * pageSize / 16, kLeast, kMost));
}

} // namespace platform
