#include "platform/unix/EmulatedRegistry.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
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

constexpr int kLockPatienceMs = 5000;

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

enum class FileState { Missing, Good, Damaged };

// Reads and parses the file. Nothing larger than the parser accepts is read at all.
FileState readHive(const std::string& path, RegHive& out)
{
    out = RegHive{};
    Fd file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.fd < 0)
        return errno == ENOENT ? FileState::Missing : FileState::Damaged;
    struct stat st {};
    if (::fstat(file.fd, &st) != 0 || !S_ISREG(st.st_mode) || static_cast<std::size_t>(st.st_size) > regfile::kMaxFileSize)
        return FileState::Damaged;
    std::string text;
    text.resize(static_cast<std::size_t>(st.st_size) + 1);
    std::size_t got = 0;
    while (got < text.size()) {
        const ssize_t n = ::read(file.fd, text.data() + got, text.size() - got);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return FileState::Damaged;
        }
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    if (got > regfile::kMaxFileSize)
        return FileState::Damaged; // grew while being read
    text.resize(got);
    std::optional<RegHive> hive = regfile::parse(text);
    if (!hive)
        return FileState::Damaged;
    out = std::move(*hive);
    return FileState::Good;
}

// Moves a damaged file out of the way under a name that says when, never over another file.
void keepAside(const std::string& path)
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
            return;
        }
        if (errno != EEXIST)
            break;
    }
    // Links not possible here (some file systems): a rename still keeps it.
    const std::string aside = path + ".damaged-" + stamp + "-" + std::to_string(::getpid());
    if (::rename(path.c_str(), aside.c_str()) == 0)
        std::fprintf(stderr, "tovrin: the settings file %s could not be read; it was kept as %s\n", path.c_str(),
                     aside.c_str());
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

RegHive EmulatedRegistry::load()
{
    RegHive hive;
    readHive(m_path, hive);
    return hive;
}

RegStatus EmulatedRegistry::update(const std::function<void(RegHive&)>& change)
{
    const std::string dir = parentOf(m_path);
    if (!makeDirectories(dir))
        return statusFromErrno(errno == 0 ? EACCES : errno);

    // Serialises writers across processes; readers never wait, the rename keeps them safe.
    Fd lock(::open((m_path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    if (lock.fd < 0)
        return statusFromErrno(errno);
    // A copy that holds the lock and no longer runs (stopped, say) must not freeze
    // this one: give up the write after a few seconds, like any other failed write.
    for (int waited = 0; ::flock(lock.fd, LOCK_EX | LOCK_NB) != 0;) {
        if (errno != EWOULDBLOCK && errno != EINTR)
            return statusFromErrno(errno);
        if (waited >= kLockPatienceMs)
            return kErrorWriteFault;
        ::usleep(10 * 1000);
        waited += 10;
    }

    // A settings file that is a link (kept with other dotfiles, say) stays one: the
    // file it points to is the one replaced.
    std::string target = m_path;
    if (char* real = ::realpath(m_path.c_str(), nullptr)) {
        target = real;
        std::free(real);
    }
    const std::string targetDir = parentOf(target);

    removeLeftoverTemporaries(target);
    RegHive hive;
    if (readHive(target, hive) == FileState::Damaged)
        keepAside(target);
    change(hive);
    const std::string text = regfile::serialize(hive);

    std::string temp = target + kTempInfix + "XXXXXX";
    Fd out(::mkstemp(temp.data()));
    if (out.fd < 0)
        return statusFromErrno(errno);
    const bool written = ::fchmod(out.fd, 0600) == 0 && writeAll(out.fd, text) && ::fsync(out.fd) == 0;
    const int writeError = errno;
    if (!written || ::close(out.fd) != 0) {
        out.fd = -1;
        ::unlink(temp.c_str());
        return statusFromErrno(written ? errno : writeError);
    }
    out.fd = -1;
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        const int error = errno;
        ::unlink(temp.c_str());
        return statusFromErrno(error);
    }
    // The rename itself survives a crash only once the folder is flushed.
    Fd folder(::open(targetDir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.fd >= 0)
        ::fsync(folder.fd);
    return kErrorSuccess;
}

std::shared_ptr<Registry> makeEmulatedRegistry()
{
    return std::make_shared<EmulatedRegistry>(EmulatedRegistry::defaultFilePath());
}

} // namespace platform
