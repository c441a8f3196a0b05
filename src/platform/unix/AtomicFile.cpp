#include "platform/unix/AtomicFile.h"

#include <cerrno>
#include <climits>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include "platform/unix/UniqueFd.h"

namespace platform::posix {
namespace {

constexpr const char* kTempInfix = ".tmp-";

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

} // namespace

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

std::optional<std::string> keepAside(const std::string& path, const std::string& label)
{
    char stamp[32];
    const std::time_t now = std::time(nullptr);
    std::tm tm {};
    ::gmtime_r(&now, &tm);
    std::strftime(stamp, sizeof stamp, "%Y%m%dT%H%M%SZ", &tm);
    const std::string base = path + "." + label + "-" + stamp;
    for (int n = 0; n < 1000; ++n) {
        std::string aside = base + (n ? "-" + std::to_string(n) : std::string());
        // link + unlink instead of rename: rename would silently replace an earlier copy.
        if (::link(path.c_str(), aside.c_str()) == 0) {
            ::unlink(path.c_str());
            return aside;
        }
        if (errno != EEXIST)
            break;
    }
    // Links not possible here (some file systems): a rename still keeps it.
    std::string aside = base + "-" + std::to_string(::getpid());
    if (::rename(path.c_str(), aside.c_str()) != 0)
        return std::nullopt;
    return aside;
}

void removeLeftoverTemporaries(const std::string& target)
{
    const std::string dir = parentOf(target);
    const std::string base = target.substr(target.rfind('/') + 1) + kTempInfix;
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

int replaceAtomically(const std::string& target, const std::string& text, const std::function<bool()>& mayRename,
                      std::optional<struct stat>& written)
{
    std::string temp = target + kTempInfix + "XXXXXX";
    UniqueFd out(::mkstemp(temp.data()));
    if (!out.isOpen())
        return errno;
    const auto failed = [&temp](int error) {
        ::unlink(temp.c_str());
        return error;
    };
    if (::fchmod(out.get(), 0600) != 0 || !writeAll(out.get(), text) || ::fsync(out.get()) != 0)
        return failed(errno);
    if (!mayRename())
        return failed(ECANCELED);
    // Our temporary gone before the rename: a writer under a lock file taken since has
    // cleared it as a leftover, so the caller makes the change again under that lock.
    if (::rename(temp.c_str(), target.c_str()) != 0)
        return failed(errno == ENOENT ? ECANCELED : errno);
    struct stat st {};
    written.reset();
    if (::fstat(out.get(), &st) == 0)
        written = st;
    // The rename itself survives a crash only once the folder is flushed.
    UniqueFd folder(::open(parentOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.isOpen())
        ::fsync(folder.get());
    return 0;
}

} // namespace platform::posix
