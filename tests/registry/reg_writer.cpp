// Helper for the fault tests: a second copy of the program's settings store, as a
// process that can be killed, stopped or starved.
//
//   registry_writer <file> <value name> <count>
//       writes "1" ... "<count>" the way the settings store does (create key, set a
//       REG_SZ, close); after each write the file must parse, hold this writer's latest
//       value, and no other value of the key may have gone back. A write refused because
//       the lock stayed busy (a stall of the whole machine, say) is tried again; the
//       number of such retries is printed at the end as "retries <n>".
//   registry_writer <file> <value name> forever <payload bytes>
//       writes "<n>:<payload>" for n = m+1, m+2, ... until killed, where m is the number
//       the value holds already (0 when none); prints n before each write.
//   registry_writer <file> group forever <payload bytes>
//       the same, but stores SplashScreen, PlaceInTray and Copy2Clip as one change.
//   registry_writer [--spare-fds N] <file> get <value name>
//       prints "<name>=<text>" or "<name> absent".
//   registry_writer [--spare-fds N] <file> set <value name> <text>
//       prints "status <code>"; exits 0 when it was stored, 3 when not.
//   registry_writer <file> hold
//       takes the writers' lock on <file> as the store does, prints "held", and waits.
//
// --spare-fds N lowers the limit of open files so that only N more can be opened.

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <string>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/unix/EmulatedRegistry.h"
#include "platform/unix/RegFile.h"

using namespace platform;

namespace {

constexpr const char* kPath = "Software\\Ardelon\\Tovrin";

RegStatus set(Registry& reg, RegHandle key, const std::string& name, const std::string& text)
{
    return reg.RegSetValueExA(key, name.c_str(), 0, kRegSz, reinterpret_cast<const std::uint8_t*>(text.c_str()),
                              static_cast<RegDword>(text.size() + 1));
}

RegStatus write(Registry& reg, const std::string& name, const std::string& text)
{
    RegHandle key = 0;
    reg.RegCreateKeyA(kHkeyCurrentUser, kPath, &key);
    const RegStatus s = set(reg, key, name, text);
    reg.RegCloseKey(key);
    return s;
}

RegStatus writeGroup(Registry& reg, const std::string& text)
{
    reg.beginChanges();
    RegHandle key = 0;
    reg.RegCreateKeyA(kHkeyCurrentUser, kPath, &key);
    for (const char* name : {"SplashScreen", "PlaceInTray", "Copy2Clip"})
        set(reg, key, name, text);
    reg.RegCloseKey(key);
    return reg.commitChanges();
}

std::optional<std::string> read(Registry& reg, const std::string& name)
{
    RegHandle key = 0;
    reg.RegOpenKeyA(kHkeyCurrentUser, kPath, &key);
    RegDword type = 0;
    RegDword size = 0;
    std::optional<std::string> out;
    if (reg.RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size) == kErrorSuccess && type == kRegSz) {
        std::string text(size, '\0');
        if (reg.RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<std::uint8_t*>(text.data()), &size)
            == kErrorSuccess) {
            text.resize(std::strlen(text.c_str()));
            out = text;
        }
    }
    reg.RegCloseKey(key);
    return out;
}

std::optional<RegHive> readFile(const std::string& file)
{
    FILE* f = std::fopen(file.c_str(), "rb");
    if (!f)
        return std::nullopt;
    std::string text;
    char buf[65536];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        text.append(buf, n);
    std::fclose(f);
    return regfile::parse(text);
}

long numberOf(const RegValue& v)
{
    return std::strtol(reinterpret_cast<const char*>(v.data.data()), nullptr, 10);
}

long storedNumber(const std::string& file, const std::string& name)
{
    if (const std::optional<RegHive> hive = readFile(file)) {
        const RegKey* key = hive::findKey(*hive, kPath);
        if (const RegValue* v = key ? hive::findValue(*key, name) : nullptr)
            return numberOf(*v);
    }
    return 0;
}

// Leaves exactly `spare` descriptors free below the limit.
bool limitOpenFiles(int spare)
{
    int limit = 0;
    for (int free = 0; free <= spare; ++limit) {
        if (::fcntl(limit, F_GETFD) < 0 && errno == EBADF)
            ++free;
    }
    const rlimit r {static_cast<rlim_t>(limit - 1), static_cast<rlim_t>(limit - 1)};
    return ::setrlimit(RLIMIT_NOFILE, &r) == 0;
}

int countedWrites(Registry& reg, const std::string& file, const std::string& name, long count)
{
    constexpr RegStatus kLockBusy = 33;
    std::map<std::string, long> seen;
    long retries = 0;
    for (long i = 1; i <= count; ++i) {
        RegStatus s = write(reg, name, std::to_string(i));
        for (; s == kLockBusy && retries < 100; ++retries)
            s = write(reg, name, std::to_string(i));
        if (s != kErrorSuccess) {
            std::fprintf(stderr, "%s: write %ld failed with %d\n", name.c_str(), i, s);
            return 1;
        }
        const std::optional<RegHive> hive = readFile(file);
        if (!hive) {
            std::fprintf(stderr, "%s: the file did not parse after write %ld\n", name.c_str(), i);
            return 1;
        }
        const RegKey* key = hive::findKey(*hive, kPath);
        if (!key) {
            std::fprintf(stderr, "%s: the key is gone after write %ld\n", name.c_str(), i);
            return 1;
        }
        const RegValue* mine = hive::findValue(*key, name);
        if (!mine || numberOf(*mine) != i) {
            std::fprintf(stderr, "%s: own value lost after write %ld\n", name.c_str(), i);
            return 1;
        }
        for (auto& [other, last] : seen) {
            const RegValue* v = hive::findValue(*key, other);
            if (!v || numberOf(*v) < last) {
                std::fprintf(stderr, "%s: value %s went back from %ld\n", name.c_str(), other.c_str(), last);
                return 1;
            }
        }
        for (const RegValue& v : key->values)
            seen[v.name] = numberOf(v);
    }
    std::printf("retries %ld\n", retries);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    int spareFds = -1;
    if (argc > 2 && std::string(argv[1]) == "--spare-fds") {
        spareFds = std::atoi(argv[2]);
        argc -= 2;
        argv += 2;
    }
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s [--spare-fds N] file (name count | name forever payload | group forever "
                             "payload | get name | set name text | hold)\n",
                     argv[0]);
        return 2;
    }
    const std::string file = argv[1];
    const std::string mode = argv[2];
    EmulatedRegistry reg(file);

    if (mode == "hold") {
        const int fd = ::open((file + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0 || ::flock(fd, LOCK_EX) != 0)
            return 1;
        std::printf("held\n");
        std::fflush(stdout);
        for (;;)
            ::pause();
    }
    if ((mode == "get" && argc == 4) || (mode == "set" && argc == 5)) {
        if (spareFds >= 0 && !limitOpenFiles(spareFds))
            return 2;
        const std::string name = argv[3];
        if (mode == "get") {
            const std::optional<std::string> text = read(reg, name);
            std::printf(text ? "%s=%s\n" : "%s absent\n", name.c_str(), text ? text->c_str() : "");
            return 0;
        }
        const RegStatus s = write(reg, name, argv[4]);
        std::printf("status %d\n", s);
        return s == kErrorSuccess ? 0 : 3;
    }
    if (argc < 4)
        return 2;

    if (std::string(argv[3]) == "forever") {
        const bool group = mode == "group";
        const std::size_t payload = argc > 4 ? std::strtoul(argv[4], nullptr, 10) : 0;
        for (long n = storedNumber(file, group ? "Copy2Clip" : mode) + 1;; ++n) {
            std::string text = std::to_string(n) + ":";
            text.append(payload, static_cast<char>('a' + n % 26));
            std::printf("%ld\n", n);
            std::fflush(stdout);
            if ((group ? writeGroup(reg, text) : write(reg, mode, text)) != kErrorSuccess)
                return 1;
        }
    }
    return countedWrites(reg, file, mode, std::strtol(argv[3], nullptr, 10));
}
