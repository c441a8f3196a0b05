// Helper for the fault tests: writes one value of the settings key over and over, the
// way the settings store does (create key, set a REG_SZ, close), and checks the file
// after every write.
//
//   registry_writer <file> <value name> <count>
//       writes "1" ... "<count>"; after each write the file must parse, hold this
//       writer's latest value, and no other value of the key may have gone back.
//   registry_writer <file> <value name> forever <payload bytes>
//       writes "<n>:<payload>" for n = m+1, m+2, ... until killed, where m is the number
//       the value holds already (0 when none); prints n before each write.

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <map>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/unix/EmulatedRegistry.h"
#include "platform/unix/RegFile.h"

using namespace platform;

namespace {

constexpr const char* kPath = "Software\\Ardelon\\Tovrin";

bool write(Registry& reg, const std::string& name, const std::string& text)
{
    RegHandle key = 0;
    reg.RegCreateKeyA(kHkeyCurrentUser, kPath, &key);
    const RegStatus s = reg.RegSetValueExA(key, name.c_str(), 0, kRegSz,
                                           reinterpret_cast<const std::uint8_t*>(text.c_str()),
                                           static_cast<RegDword>(text.size() + 1));
    reg.RegCloseKey(key);
    return s == kErrorSuccess;
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

} // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s file name count | file name forever payload\n", argv[0]);
        return 2;
    }
    const std::string file = argv[1];
    const std::string name = argv[2];
    EmulatedRegistry reg(file);

    if (std::string(argv[3]) == "forever") {
        const std::size_t payload = argc > 4 ? std::strtoul(argv[4], nullptr, 10) : 0;
        long start = 1;
        if (const std::optional<RegHive> hive = readFile(file)) {
            const RegKey* key = hive::findKey(*hive, kPath);
            if (const RegValue* v = key ? hive::findValue(*key, name) : nullptr)
                start = numberOf(*v) + 1;
        }
        for (long n = start;; ++n) {
            std::string text = std::to_string(n) + ":";
            text.append(payload, static_cast<char>('a' + n % 26));
            std::printf("%ld\n", n);
            std::fflush(stdout);
            if (!write(reg, name, text))
                return 1;
        }
    }

    const long count = std::strtol(argv[3], nullptr, 10);
    std::map<std::string, long> seen;
    for (long i = 1; i <= count; ++i) {
        if (!write(reg, name, std::to_string(i))) {
            std::fprintf(stderr, "%s: write %ld failed\n", name.c_str(), i);
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
    return 0;
}
