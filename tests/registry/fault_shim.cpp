// Preloaded into a helper process to make the C library fail on one file the way a
// sick disk or a starved system does, where the kernel cannot be made to on demand:
//   TOVRIN_FAULT_PATH   the path, exactly as the program passes it to open()
//   TOVRIN_FAULT_OPEN   an errno number that every open() of it fails with
//   TOVRIN_FAULT_READ   an errno number that every read() from it fails with
// Everything else passes through untouched.

#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

namespace {

// Descriptors open on the faulty path; a few are plenty for one helper.
int g_faulty[16];
int g_faultyCount = 0;

int envNumber(const char* name)
{
    const char* v = std::getenv(name);
    return v ? std::atoi(v) : 0;
}

bool isFaultyPath(const char* path)
{
    const char* faulty = std::getenv("TOVRIN_FAULT_PATH");
    return faulty && path && std::strcmp(path, faulty) == 0;
}

bool isFaultyFd(int fd)
{
    for (int i = 0; i < g_faultyCount; ++i) {
        if (g_faulty[i] == fd)
            return true;
    }
    return false;
}

void forget(int fd)
{
    for (int i = 0; i < g_faultyCount; ++i) {
        if (g_faulty[i] == fd) {
            g_faulty[i] = g_faulty[--g_faultyCount];
            return;
        }
    }
}

template <typename F>
F next(const char* name)
{
    return reinterpret_cast<F>(::dlsym(RTLD_NEXT, name));
}

// Common to every open() flavour: fail it, or let it through and remember the result.
int opened(const char* path, int fd)
{
    if (fd >= 0 && isFaultyPath(path) && g_faultyCount < 16)
        g_faulty[g_faultyCount++] = fd;
    return fd;
}

bool failOpen(const char* path)
{
    const int error = envNumber("TOVRIN_FAULT_OPEN");
    if (error && isFaultyPath(path)) {
        errno = error;
        return true;
    }
    return false;
}

mode_t modeOf(int flags, va_list args)
{
    return ((flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE) ? static_cast<mode_t>(va_arg(args, int)) : 0;
}

} // namespace

extern "C" {

int open(const char* path, int flags, ...)
{
    va_list args;
    va_start(args, flags);
    const mode_t mode = modeOf(flags, args);
    va_end(args);
    if (failOpen(path))
        return -1;
    return opened(path, next<int (*)(const char*, int, ...)>("open")(path, flags, mode));
}

int open64(const char* path, int flags, ...)
{
    va_list args;
    va_start(args, flags);
    const mode_t mode = modeOf(flags, args);
    va_end(args);
    if (failOpen(path))
        return -1;
    return opened(path, next<int (*)(const char*, int, ...)>("open64")(path, flags, mode));
}

int openat(int dir, const char* path, int flags, ...)
{
    va_list args;
    va_start(args, flags);
    const mode_t mode = modeOf(flags, args);
    va_end(args);
    if (failOpen(path))
        return -1;
    return opened(path, next<int (*)(int, const char*, int, ...)>("openat")(dir, path, flags, mode));
}

ssize_t read(int fd, void* buffer, size_t size)
{
    const int error = envNumber("TOVRIN_FAULT_READ");
    if (error && isFaultyFd(fd)) {
        errno = error;
        return -1;
    }
    return next<ssize_t (*)(int, void*, size_t)>("read")(fd, buffer, size);
}

int close(int fd)
{
    forget(fd);
    return next<int (*)(int)>("close")(fd);
}

} // extern "C"
