#include "platform/unix/EmulatedRegistry.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/unix/AtomicFile.h"
#include "platform/unix/LockFile.h"
#include "platform/unix/RegFile.h"
#include "platform/unix/UniqueFd.h"

namespace platform {
namespace {

using posix::LockFile;
using posix::UniqueFd;
using Clock = LockFile::Clock;

RegStatus statusFromErrno(int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
    case EROFS:
        return kErrorAccessDenied;
    case ENOENT:
    case ENOTDIR:
        return kErrorPathNotFound;
    case ENOMEM:
        return kErrorOutOfMemory;
    default:
        return kErrorWriteFault;
    }
}

// A copy that holds the lock and does not let go (stopped, say) must not freeze this
// one: a change gives up after this long in all, like any other failed write.
constexpr auto kLockPatience = std::chrono::milliseconds(2000);

// ERROR_LOCK_VIOLATION: what Windows answers when another program holds the file.
constexpr RegStatus kErrorLockViolation = 33;

// A damaged file is moved out of the way, never written over. False when it could not
// be moved: then it must not be replaced either.
bool keepDamagedAside(const std::string& path)
{
    const std::optional<std::string> aside = posix::keepAside(path, "damaged");
    if (!aside)
        return false;
    std::fprintf(stderr, "tovrin: the settings file %s could not be understood; it was kept as %s\n", path.c_str(),
                 aside->c_str());
    return true;
}

} // namespace

bool EmulatedRegistry::Identity::operator==(const Identity& o) const
{
    return dev == o.dev && ino == o.ino && size == o.size && mtime.tv_sec == o.mtime.tv_sec
        && mtime.tv_nsec == o.mtime.tv_nsec && ctime.tv_sec == o.ctime.tv_sec && ctime.tv_nsec == o.ctime.tv_nsec;
}

EmulatedRegistry::Identity EmulatedRegistry::identify(const struct stat& st)
{
    return {st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim};
}

EmulatedRegistry::EmulatedRegistry(std::string filePath)
    : m_path(std::move(filePath))
{
}

std::string EmulatedRegistry::defaultFilePath()
{
    std::string base;
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && xdg[0] == '/') {
        base = xdg;
    } else {
        const char* home = std::getenv("HOME");
        if (!home || !*home) {
            const passwd* pw = ::getpwuid(::getuid());
            home = pw ? pw->pw_dir : "/";
        }
        base = std::string(home) + "/.config";
    }
    return base + "/Ardelon/Tovrin.reg";
}

EmulatedRegistry::Reading EmulatedRegistry::read(const std::string& path)
{
    // Only a regular file is opened: opening a pipe waits for a writer, a device may do anything.
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return errno == ENOENT ? Reading {State::Missing} : Reading {State::Unreadable, errno};
    if (!S_ISREG(st.st_mode))
        return {State::NotAFile};
    if (m_cachedId && *m_cachedId == identify(st))
        return {m_cachedState};

    // Non-blocking all the same: it may have been swapped for a pipe since.
    UniqueFd file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!file.isOpen())
        return errno == ENOENT ? Reading {State::Missing} : Reading {State::Unreadable, errno};
    if (::fstat(file.get(), &st) != 0)
        return {State::Unreadable, errno};
    if (!S_ISREG(st.st_mode))
        return {State::NotAFile};
    const Identity id = identify(st);
    if (m_cachedId && *m_cachedId == id)
        return {m_cachedState};

    State state = State::Damaged;
    RegHive hive;
    // Nothing larger than the parser accepts is read at all.
    if (static_cast<std::size_t>(st.st_size) <= regfile::kMaxFileSize) {
        try {
            std::string text;
            text.resize(static_cast<std::size_t>(st.st_size) + 1);
            std::size_t got = 0;
            while (got < text.size()) {
                const ssize_t n = ::read(file.get(), text.data() + got, text.size() - got);
                if (n < 0) {
                    if (errno == EINTR)
                        continue;
                    return {State::Unreadable, errno};
                }
                if (n == 0)
                    break;
                got += static_cast<std::size_t>(n);
            }
            // Over the limit means it grew while being read: damaged like any file that large.
            if (got <= regfile::kMaxFileSize) {
                text.resize(got);
                if (std::optional<RegHive> parsed = regfile::parse(text)) {
                    hive = std::move(*parsed);
                    state = State::Good;
                }
            }
        } catch (const std::bad_alloc&) {
            return {State::Unreadable, ENOMEM};
        }
    }
    m_cachedId = id;
    m_cachedState = state;
    m_cached = std::move(hive);
    return {state};
}

const RegHive& EmulatedRegistry::load()
{
    return read(m_path).state == State::Good ? m_cached : m_empty;
}

RegStatus EmulatedRegistry::update(const std::function<void(RegHive&)>& change)
{
    const auto deadline = Clock::now() + kLockPatience;
    for (;;) {
        // Links are resolved first, so that every copy writing through any link to this
        // file takes the same lock, beside the file itself.
        const std::optional<std::string> target = posix::resolveLinks(m_path);
        if (!target)
            return statusFromErrno(errno);
        struct stat st {};
        if (::stat(target->c_str(), &st) == 0 && !S_ISREG(st.st_mode))
            return kErrorAccessDenied; // a folder, a pipe, a device: never replaced, no lock beside it
        errno = 0;
        if (!posix::makeDirectories(posix::parentOf(*target)))
            return statusFromErrno(errno == 0 ? EACCES : errno);

        const LockFile lock = LockFile::take(*target + ".lock", deadline);
        if (!lock.isHeld())
            return lock.error() == ETIMEDOUT ? kErrorLockViolation : statusFromErrno(lock.error());
        // A link pointed elsewhere while we waited leads to a file with its own lock.
        if (posix::resolveLinks(m_path) == target) {
            bool lockLost = false;
            const RegStatus status = replace(*target, change, lock, lockLost);
            if (!lockLost)
                return status;
        }
        if (Clock::now() >= deadline)
            return kErrorLockViolation;
    }
}

RegStatus EmulatedRegistry::replace(const std::string& target, const std::function<void(RegHive&)>& change,
                                    const posix::LockFile& lock, bool& lockLost)
{
    posix::removeLeftoverTemporaries(target);
    const Reading now = read(target);
    switch (now.state) {
    case State::Unreadable:
        // Nothing is known of what it holds: replacing it could lose every other value.
        return statusFromErrno(now.error);
    case State::NotAFile:
        return kErrorAccessDenied;
    case State::Damaged:
        if (!keepDamagedAside(target))
            return statusFromErrno(errno);
        break;
    case State::Missing:
    case State::Good:
        break;
    }

    RegHive hive;
    std::string text;
    try {
        if (now.state == State::Good)
            hive = m_cached;
        change(hive);
        text = regfile::serialize(hive);
    } catch (const std::bad_alloc&) {
        return kErrorOutOfMemory;
    }

    // Checked once more just before the rename: a copy that took a new lock file since
    // may be writing now, and the change is made again under the lock that counts.
    std::optional<struct stat> written;
    const int error = posix::replaceAtomically(target, text, [&lock] { return lock.isStillInPlace(); }, written);
    if (error == ECANCELED) {
        lockLost = true;
        return kErrorLockViolation;
    }
    if (error != 0)
        return statusFromErrno(error);
    // What was just written is known: the next read need not parse it again.
    if (written) {
        m_cachedId = identify(*written);
        m_cachedState = State::Good;
        m_cached = std::move(hive);
    }
    return kErrorSuccess;
}

std::shared_ptr<Registry> makeEmulatedRegistry()
{
    return std::make_shared<EmulatedRegistry>(EmulatedRegistry::defaultFilePath());
}

} // namespace platform
