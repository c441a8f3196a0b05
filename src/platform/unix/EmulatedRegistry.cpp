#include "platform/unix/EmulatedRegistry.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <new>
#include <thread>
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <pwd.h>
#include <sys/inotify.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/unix/RegFile.h"

namespace platform {
namespace {

// Closes a descriptor on every way out.
struct Fd {
    int fd = -1;
    explicit Fd(int f) : fd(f) {}
    ~Fd()
    {
        if (fd >= 0)
            ::close(fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
};

std::string parentOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : (slash == 0 ? std::string("/") : path.substr(0, slash));
}

bool makeDirectories(const std::string& dir)
{
    struct stat st {};
    if (::stat(dir.c_str(), &st) == 0)
        return S_ISDIR(st.st_mode);
    const std::string parent = parentOf(dir);
    if (parent != dir && !makeDirectories(parent))
        return false;
    return ::mkdir(dir.c_str(), 0700) == 0 || errno == EEXIST;
}

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

bool writeAll(int fd, const std::string& text)
{
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

using Clock = std::chrono::steady_clock;

// A copy that holds the lock and does not let go (stopped, say) must not freeze this
// one: a change gives up after this long in all, like any other failed write.
constexpr auto kLockPatience = std::chrono::milliseconds(2000);

// ERROR_LOCK_VIOLATION: what Windows answers when another program holds the file.
constexpr RegStatus kErrorLockViolation = 33;

// Moves a damaged file out of the way under a name that says when, never over another
// file. False when it could not be moved: then it must not be replaced either.
bool keepAside(const std::string& path)
{
    char stamp[32];
    const std::time_t now = std::time(nullptr);
    std::tm tm {};
    ::gmtime_r(&now, &tm);
    std::strftime(stamp, sizeof stamp, "%Y%m%dT%H%M%SZ", &tm);
    for (int n = 0; n < 1000; ++n) {
        std::string aside = path + ".damaged-" + stamp + (n ? "-" + std::to_string(n) : std::string());
        // link + unlink instead of rename: rename would silently replace an earlier copy.
        if (::link(path.c_str(), aside.c_str()) == 0) {
            ::unlink(path.c_str());
            std::fprintf(stderr, "tovrin: the settings file %s could not be read; it was kept as %s\n", path.c_str(),
                         aside.c_str());
            return true;
        }
        if (errno != EEXIST)
            break;
    }
    // Links not possible here (some file systems): a rename still keeps it.
    const std::string aside = path + ".damaged-" + stamp + "-" + std::to_string(::getpid());
    if (::rename(path.c_str(), aside.c_str()) != 0)
        return false;
    std::fprintf(stderr, "tovrin: the settings file %s could not be read; it was kept as %s\n", path.c_str(),
                 aside.c_str());
    return true;
}

// Follows links at the end of `path` to the name a write must replace: the file the
// last link points to, whether it exists or not. Nullopt (errno set) on a loop or a
// path that cannot be looked at.
std::optional<std::string> resolveLinks(std::string path)
{
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0) {
            if (errno == ENOENT)
                return path;
            return std::nullopt;
        }
        if (!S_ISLNK(st.st_mode))
            return path;
        std::string target(PATH_MAX, '\0');
        const ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
        if (n < 0)
            return std::nullopt;
        if (n == 0 || static_cast<std::size_t>(n) >= target.size()) {
            errno = ENAMETOOLONG;
            return std::nullopt;
        }
        target.resize(static_cast<std::size_t>(n));
        path = target.front() == '/' ? target : parentOf(path) + "/" + target;
    }
    errno = ELOOP;
    return std::nullopt;
}

bool sameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// True while `fd` is still the file at `path`. Someone may delete or replace a lock
// file while it is held; a copy that opened the new one would not wait for ours.
bool isStillAt(int fd, const std::string& path)
{
    struct stat held {};
    struct stat there {};
    return ::fstat(fd, &held) == 0 && ::stat(path.c_str(), &there) == 0 && sameFile(held, there);
}

// Waits for an exclusive lock on `fd` until `deadline`. Rather than poll, it sleeps
// until a holder closes the lock file, so waiting copies take turns instead of the
// last holder taking it again and again; a short poll covers a missed wake-up.
bool lockBy(int fd, const std::string& path, Clock::time_point deadline)
{
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
        return true;
    Fd watch(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
    if (watch.fd >= 0 && ::inotify_add_watch(watch.fd, path.c_str(), IN_CLOSE_WRITE | IN_DELETE_SELF) < 0) {
        ::close(watch.fd);
        watch.fd = -1;
    }
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
        if (watch.fd >= 0) {
            pollfd p {watch.fd, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(std::min(left, std::chrono::milliseconds(50)).count())) > 0) {
                char events[4096];
                while (::read(watch.fd, events, sizeof events) > 0) {
                }
            }
        } else {
            std::this_thread::sleep_for(std::min<Clock::duration>(pause, left));
            pause = std::min(pause * 2, std::chrono::milliseconds(8));
        }
    }
}

// Takes the writers' lock at `path` by `deadline`. The descriptor, or -1 with errno
// set (ETIMEDOUT when the time ran out).
int takeLock(const std::string& path, Clock::time_point deadline)
{
    for (;;) {
        Fd lock(::open(path.c_str(), O_RDWR | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0600));
        if (lock.fd < 0)
            return -1;
        if (!lockBy(lock.fd, path, deadline)) {
            const int error = errno;
            ::close(lock.fd);
            lock.fd = -1;
            errno = error;
            return -1;
        }
        if (isStillAt(lock.fd, path)) {
            const int fd = lock.fd;
            lock.fd = -1;
            return fd;
        }
        // Removed or replaced while we waited for it: lock the one there now.
        if (Clock::now() >= deadline) {
            errno = ETIMEDOUT;
            return -1;
        }
    }
}

constexpr const char* kTempInfix = ".tmp-";

// Temporary files are only made while the lock is held, so any left over when we hold
// it come from a writer that was killed before its rename.
void removeLeftoverTemporaries(const std::string& path)
{
    const std::string dir = parentOf(path);
    const std::string base = path.substr(path.rfind('/') + 1) + kTempInfix;
    DIR* d = ::opendir(dir.c_str());
    if (!d)
        return;
    while (const dirent* entry = ::readdir(d)) {
        const std::string name = entry->d_name;
        // The infix and mkstemp's six characters, nothing else.
        if (name.size() == base.size() + 6 && name.compare(0, base.size(), base) == 0)
            ::unlink((dir + "/" + name).c_str());
    }
    ::closedir(d);
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
    Fd file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (file.fd < 0)
        return errno == ENOENT ? Reading {State::Missing} : Reading {State::Unreadable, errno};
    if (::fstat(file.fd, &st) != 0)
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
                const ssize_t n = ::read(file.fd, text.data() + got, text.size() - got);
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
        const std::optional<std::string> target = resolveLinks(m_path);
        if (!target)
            return statusFromErrno(errno);
        struct stat st {};
        if (::stat(target->c_str(), &st) == 0 && !S_ISREG(st.st_mode))
            return kErrorAccessDenied; // a folder, a pipe, a device: never replaced, no lock beside it
        errno = 0;
        if (!makeDirectories(parentOf(*target)))
            return statusFromErrno(errno == 0 ? EACCES : errno);

        const std::string lockPath = *target + ".lock";
        Fd lock(takeLock(lockPath, deadline));
        if (lock.fd < 0)
            return errno == ETIMEDOUT ? kErrorLockViolation : statusFromErrno(errno);
        // A link pointed elsewhere while we waited leads to a file with its own lock.
        if (resolveLinks(m_path) == target) {
            bool lockLost = false;
            const RegStatus status = replace(*target, change, lock.fd, lockPath, lockLost);
            if (!lockLost)
                return status;
        }
        if (Clock::now() >= deadline)
            return kErrorLockViolation;
    }
}

RegStatus EmulatedRegistry::replace(const std::string& target, const std::function<void(RegHive&)>& change, int lock,
                                    const std::string& lockPath, bool& lockLost)
{
    removeLeftoverTemporaries(target);
    const Reading now = read(target);
    switch (now.state) {
    case State::Unreadable:
        // Nothing is known of what it holds: replacing it could lose every other value.
        return statusFromErrno(now.error);
    case State::NotAFile:
        return kErrorAccessDenied;
    case State::Damaged:
        if (!keepAside(target))
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

    std::string temp = target + kTempInfix + "XXXXXX";
    Fd out(::mkstemp(temp.data()));
    if (out.fd < 0)
        return statusFromErrno(errno);
    if (::fchmod(out.fd, 0600) != 0 || !writeAll(out.fd, text) || ::fsync(out.fd) != 0) {
        const int error = errno;
        ::unlink(temp.c_str());
        return statusFromErrno(error);
    }
    // Checked once more just before the rename: a copy that took a new lock file since
    // may be writing now, and the change is made again under the lock that counts.
    if (!isStillAt(lock, lockPath)) {
        ::unlink(temp.c_str());
        lockLost = true;
        return kErrorLockViolation;
    }
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        const int error = errno;
        ::unlink(temp.c_str());
        return statusFromErrno(error);
    }
    // What was just written is known: the next read need not parse it again.
    struct stat st {};
    if (::fstat(out.fd, &st) == 0) {
        m_cachedId = identify(st);
        m_cachedState = State::Good;
        m_cached = std::move(hive);
    }
    // The rename itself survives a crash only once the folder is flushed.
    Fd folder(::open(parentOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.fd >= 0)
        ::fsync(folder.fd);
    return kErrorSuccess;
}

std::shared_ptr<Registry> makeEmulatedRegistry()
{
    return std::make_shared<EmulatedRegistry>(EmulatedRegistry::defaultFilePath());
}

} // namespace platform
