#pragma once

#include <chrono>
#include <string>

#include "platform/unix/UniqueFd.h"

namespace platform::posix {

// An exclusive advisory lock (flock) on a lock file of its own, held while the object
// lives. Waiting copies sleep until the holder closes the file rather than poll, so
// they take turns instead of the last holder taking it again and again.
class LockFile {
public:
    using Clock = std::chrono::steady_clock;

    // Takes the lock at `path` (creating the file) by `deadline`. isHeld() is false on
    // failure, with error() ETIMEDOUT when the time ran out.
    static LockFile take(const std::string& path, Clock::time_point deadline);

    bool isHeld() const { return m_fd.isOpen(); }
    int error() const { return m_error; }
    // False once someone removed or replaced the lock file while it was held: a copy
    // that opened the new one would not wait for this one.
    bool isStillInPlace() const;

private:
    LockFile(std::string path, UniqueFd fd, int error)
        : m_path(std::move(path)), m_fd(std::move(fd)), m_error(error)
    {
    }

    std::string m_path;
    UniqueFd m_fd;
    int m_error;
};

} // namespace platform::posix
