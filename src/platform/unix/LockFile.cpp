#include "platform/unix/LockFile.h"

#include <algorithm>
#include <cerrno>
#include <thread>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/stat.h>

namespace platform::posix {
namespace {

using Clock = LockFile::Clock;

bool isStillAt(int fd, const std::string& path)
{
    struct stat held {};
    struct stat there {};
    return ::fstat(fd, &held) == 0 && ::stat(path.c_str(), &there) == 0 && held.st_dev == there.st_dev
        && held.st_ino == there.st_ino;
}

// Waits for an exclusive lock on `fd` until `deadline`; a short poll covers a missed
// wake-up.
bool lockBy(int fd, const std::string& path, Clock::time_point deadline)
{
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
        return true;
    UniqueFd watch(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
    if (watch.isOpen() && ::inotify_add_watch(watch.get(), path.c_str(), IN_CLOSE_WRITE | IN_DELETE_SELF) < 0)
        watch = UniqueFd();
    auto pause = std::chrono::milliseconds(1);
    for (;;) {
        // Tried again once the watch is in place, so a release from now on wakes us.
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            return true;
        if (errno != EWOULDBLOCK && errno != EINTR)
            return false;
        const auto now = Clock::now();
        if (now >= deadline) {
            errno = ETIMEDOUT;
            return false;
        }
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - now);
        if (watch.isOpen()) {
            pollfd p {watch.get(), POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(std::min(left, std::chrono::milliseconds(50)).count())) > 0) {
                char events[4096];
                while (::read(watch.get(), events, sizeof events) > 0) {
                }
            }
        } else {
            std::this_thread::sleep_for(std::min<Clock::duration>(pause, left));
            pause = std::min(pause * 2, std::chrono::milliseconds(8));
        }
    }
}

} // namespace

LockFile LockFile::take(const std::string& path, Clock::time_point deadline)
{
    for (;;) {
        UniqueFd fd(::open(path.c_str(), O_RDWR | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0600));
        if (!fd.isOpen())
            return LockFile(path, UniqueFd(), errno);
        if (!lockBy(fd.get(), path, deadline))
            return LockFile(path, UniqueFd(), errno);
        if (isStillAt(fd.get(), path))
            return LockFile(path, std::move(fd), 0);
        // Removed or replaced while we waited for it: lock the one there now.
        if (Clock::now() >= deadline)
            return LockFile(path, UniqueFd(), ETIMEDOUT);
    }
}

bool LockFile::isStillInPlace() const
{
    return isHeld() && isStillAt(m_fd.get(), m_path);
}

} // namespace platform::posix
