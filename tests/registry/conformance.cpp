// Registry conformance cases. The same source runs against the Linux emulation and,
// cross-compiled, against Wine's advapi32. Each case prints one line
//   PASS|FAIL <name>: <what was observed>
// and the observations of the two runs are compared line by line as well.

#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Registry.h"
#include "registry/ConformanceBackend.h"

using namespace platform;

namespace {

std::shared_ptr<Registry> reg;

constexpr const char* kPath = "Software\\Ardelon\\Tovrin";

std::string hex(const std::uint8_t* data, std::size_t size)
{
    std::string out;
    char part[4];
    for (std::size_t i = 0; i < size; ++i) {
        std::snprintf(part, sizeof part, "%02x", data[i]);
        out += part;
    }
    return out.empty() ? "-" : out;
}

std::string num(long long value)
{
    return std::to_string(value);
}

const char* handleState(RegHandle h, RegHandle root = kHkeyCurrentUser)
{
    if (h == 0)
        return "null";
    if (h == root)
        return "same";
    if (h == 0x1234)
        return "untouched";
    return "valid";
}

RegHandle openKey(const char* path)
{
    RegHandle h = 0;
    reg->RegOpenKeyA(kHkeyCurrentUser, path, &h);
    return h;
}

RegHandle createKey(const char* path)
{
    RegHandle h = 0;
    reg->RegCreateKeyA(kHkeyCurrentUser, path, &h);
    return h;
}

RegStatus setValue(RegHandle key, const char* name, RegDword type, const void* data, RegDword size)
{
    return reg->RegSetValueExA(key, name, 0, type, static_cast<const std::uint8_t*>(data), size);
}

// Two-step read as the settings store does it, reported in full: the sizing query,
// then a read into a buffer of exactly the reported size.
std::string describe(RegHandle key, const char* name)
{
    RegDword type = 0xEEEE;
    RegDword size = 0xEEEE;
    const RegStatus first = reg->RegQueryValueExA(key, name, nullptr, &type, nullptr, &size);
    std::string out = "size-query=" + num(first);
    if (first != kErrorSuccess)
        return out;
    out += " type=" + num(type) + " size=" + num(size);
    std::vector<std::uint8_t> buffer(size + 8, 0xAA);
    RegDword got = size;
    RegDword type2 = 0;
    const RegStatus second = reg->RegQueryValueExA(key, name, nullptr, &type2, buffer.data(), &got);
    out += " read=" + num(second) + " got=" + num(got) + " data=" + hex(buffer.data(), got)
        + " after=" + hex(buffer.data() + got, 1);
    return out;
}

std::string setAndDescribe(const char* name, RegDword type, const void* data, RegDword size)
{
    const RegHandle key = createKey(kPath);
    const RegStatus set = setValue(key, name, type, data, size);
    std::string out = "set=" + num(set) + " " + describe(key, name);
    reg->RegCloseKey(key);
    return out;
}

struct Case {
    const char* name;
    std::function<std::string()> run;
    const char* expected;
};

std::vector<Case> cases()
{
    return {
        {"open missing key",
         [] {
             RegHandle h = 0x1234;
             const RegStatus s = reg->RegOpenKeyA(kHkeyCurrentUser, kPath, &h);
             return "open=" + num(s) + " handle=" + handleState(h);
         },
         "open=2 handle=null"},
        {"open missing key leaves no key behind",
         [] {
             RegHandle h = 0;
             const RegStatus s = reg->RegOpenKeyA(kHkeyCurrentUser, "Software\\Ardelon", &h);
             return "open=" + num(s) + " handle=" + handleState(h);
         },
         "open=2 handle=null"},
        {"query on null handle",
         [] {
             RegDword type = 77, size = 77;
             const RegStatus s = reg->RegQueryValueExA(0, "SplashScreen", nullptr, &type, nullptr, &size);
             return "query=" + num(s) + " type=" + num(type) + " size=" + num(size);
         },
         "query=6 type=77 size=77"},
        {"close null handle", [] { return "close=" + num(reg->RegCloseKey(0)); }, "close=6"},
        {"open under null root",
         [] {
             RegHandle h = 0x1234;
             const RegStatus s = reg->RegOpenKeyA(0, kPath, &h);
             return "open=" + num(s) + " handle=" + handleState(h);
         },
         "open=6 handle=untouched"},
        {"create under null root",
         [] {
             RegHandle h = 0x1234;
             const RegStatus s = reg->RegCreateKeyA(0, kPath, &h);
             return "create=" + num(s) + " handle=" + handleState(h);
         },
         "create=6 handle=untouched"},
        {"the user's Software key is always there",
         [] {
             RegHandle h = 0;
             const RegStatus s = reg->RegOpenKeyA(kHkeyCurrentUser, "Software", &h);
             return "open=" + num(s) + " handle=" + handleState(h) + " close=" + num(reg->RegCloseKey(h));
         },
         "open=0 handle=valid close=0"},
        {"a leading backslash is refused",
         [] {
             RegHandle h = 0;
             const RegStatus o = reg->RegOpenKeyA(kHkeyCurrentUser, "\\Software", &h);
             const RegStatus c = reg->RegCreateKeyA(kHkeyCurrentUser, "\\Software\\Ardelon", &h);
             RegHandle check = 0;
             const RegStatus after = reg->RegOpenKeyA(kHkeyCurrentUser, "Software\\Ardelon", &check);
             return "open=" + num(o) + " create=" + num(c) + " created=" + num(after);
         },
         "open=161 create=161 created=2"},
        {"open without a place for the handle",
         [] { return "open=" + num(reg->RegOpenKeyA(kHkeyCurrentUser, kPath, nullptr)); }, "open=87"},
        {"create every missing key on the path",
         [] {
             RegHandle h = 0;
             const RegStatus s = reg->RegCreateKeyA(kHkeyCurrentUser, kPath, &h);
             std::string out = "create=" + num(s) + " handle=" + handleState(h);
             out += " close=" + num(reg->RegCloseKey(h));
             for (const char* path : {"Software\\Ardelon", "Software\\Ardelon\\Tovrin"}) {
                 RegHandle o = 0;
                 out += std::string(" open(") + path + ")=" + num(reg->RegOpenKeyA(kHkeyCurrentUser, path, &o));
                 reg->RegCloseKey(o);
             }
             return out;
         },
         "create=0 handle=valid close=0 open(Software\\Ardelon)=0 open(Software\\Ardelon\\Tovrin)=0"},
        {"create an existing key",
         [] {
             RegHandle h = 0;
             const RegStatus s = reg->RegCreateKeyA(kHkeyCurrentUser, kPath, &h);
             return "create=" + num(s) + " handle=" + handleState(h) + " close=" + num(reg->RegCloseKey(h));
         },
         "create=0 handle=valid close=0"},
        {"missing value in an existing key",
         [] {
             const RegHandle h = openKey(kPath);
             std::string out = describe(h, "SplashScreen");
             reg->RegCloseKey(h);
             return out;
         },
         "size-query=2"},
        {"REG_SZ with terminating NUL",
         [] { return setAndDescribe("SplashScreen", kRegSz, "1\0", 2); },
         "set=0 size-query=0 type=1 size=2 read=0 got=2 data=3100 after=aa"},
        {"REG_SZ without terminating NUL",
         [] {
             // The byte after the counted data is not a NUL, so nothing can be read past it.
             const char data[] = "abcX";
             return setAndDescribe("SplashScreen", kRegSz, data, 3);
         },
         "set=0 size-query=0 type=1 size=3 read=0 got=3 data=616263 after=aa"},
        {"REG_SZ with a NUL inside",
         [] { return setAndDescribe("SplashScreen", kRegSz, "1\0" "23\0", 5); },
         "set=0 size-query=0 type=1 size=5 read=0 got=5 data=3100323300 after=aa"},
        {"REG_SZ with several NULs at the end",
         [] { return setAndDescribe("SplashScreen", kRegSz, "ab\0\0\0", 5); },
         "set=0 size-query=0 type=1 size=5 read=0 got=5 data=6162000000 after=aa"},
        {"empty REG_SZ", [] { return setAndDescribe("SplashScreen", kRegSz, "\0", 1); },
         "set=0 size-query=0 type=1 size=1 read=0 got=1 data=00 after=aa"},
        {"REG_SZ of no bytes at all",
         [] {
             const char data[] = "X";
             return setAndDescribe("SplashScreen", kRegSz, data, 0);
         },
         "set=0 size-query=0 type=1 size=0 read=0 got=0 data=- after=aa"},
        {"REG_DWORD under a setting's name",
         [] {
             const std::uint8_t one[4] = {1, 0, 0, 0};
             return setAndDescribe("SplashScreen", kRegDword, one, 4);
         },
         "set=0 size-query=0 type=4 size=4 read=0 got=4 data=01000000 after=aa"},
        {"REG_EXPAND_SZ under a setting's name",
         [] { return setAndDescribe("Copy2Clip", kRegExpandSz, "True\0", 5); },
         "set=0 size-query=0 type=2 size=5 read=0 got=5 data=5472756500 after=aa"},
        {"REG_BINARY keeps its exact bytes",
         [] {
             const std::uint8_t bytes[] = {0x00, 0xff, 0x22, 0x5c, 0x0d, 0x0a};
             return setAndDescribe("PlaceInTray", kRegBinary, bytes, sizeof bytes);
         },
         "set=0 size-query=0 type=3 size=6 read=0 got=6 data=00ff225c0d0a after=aa"},
        {"REG_BINARY of no bytes",
         [] { return setAndDescribe("PlaceInTray", kRegBinary, nullptr, 0); },
         "set=0 size-query=0 type=3 size=0 read=0 got=0 data=- after=aa"},
        {"no data at all", [] { return setAndDescribe("PlaceInTray", kRegSz, nullptr, 0); },
         "set=0 size-query=0 type=1 size=0 read=0 got=0 data=- after=aa"},
        {"a type the program does not know",
         [] { return setAndDescribe("PlaceInTray", 0x63, "xy", 2); },
         "set=0 size-query=0 type=99 size=2 read=0 got=2 data=7879 after=aa"},
        {"REG_SZ replaces a value of another type",
         [] { return setAndDescribe("PlaceInTray", kRegSz, "0\0", 2); },
         "set=0 size-query=0 type=1 size=2 read=0 got=2 data=3000 after=aa"},
        {"REG_SZ with quotes, backslashes and line breaks",
         [] { return setAndDescribe("Copy2Clip", kRegSz, "a\"b\\c\r\nd\0", 9); },
         "set=0 size-query=0 type=1 size=9 read=0 got=9 data=6122625c630d0a6400 after=aa"},
        {"buffer too small",
         [] {
             const RegHandle key = createKey(kPath);
             setValue(key, "Copy2Clip", kRegSz, "False\0", 6);
             std::uint8_t buffer[8];
             std::memset(buffer, 0xAA, sizeof buffer);
             RegDword size = 3;
             RegDword type = 0;
             const RegStatus s = reg->RegQueryValueExA(key, "Copy2Clip", nullptr, &type, buffer, &size);
             reg->RegCloseKey(key);
             return "query=" + num(s) + " type=" + num(type) + " size=" + num(size);
         },
         "query=234 type=1 size=6"},
        {"buffer larger than the value",
         [] {
             const RegHandle key = createKey(kPath);
             std::uint8_t buffer[10];
             std::memset(buffer, 0xAA, sizeof buffer);
             RegDword size = sizeof buffer;
             const RegStatus s = reg->RegQueryValueExA(key, "Copy2Clip", nullptr, nullptr, buffer, &size);
             reg->RegCloseKey(key);
             return "query=" + num(s) + " size=" + num(size) + " buffer=" + hex(buffer, sizeof buffer);
         },
         "query=0 size=6 buffer=46616c736500aaaaaaaa"},
        {"larger buffer for a REG_SZ without NUL",
         [] {
             const RegHandle key = createKey(kPath);
             const char data[] = "abcX";
             setValue(key, "Extra", kRegSz, data, 3);
             std::uint8_t buffer[6];
             std::memset(buffer, 0xAA, sizeof buffer);
             RegDword size = sizeof buffer;
             const RegStatus s = reg->RegQueryValueExA(key, "Extra", nullptr, nullptr, buffer, &size);
             reg->RegCloseKey(key);
             return "query=" + num(s) + " size=" + num(size) + " buffer=" + hex(buffer, sizeof buffer);
         },
         "query=0 size=3 buffer=61626300aaaa"},
        {"data without a size",
         [] {
             const RegHandle key = openKey(kPath);
             std::uint8_t buffer[8];
             const RegStatus s = reg->RegQueryValueExA(key, "Copy2Clip", nullptr, nullptr, buffer, nullptr);
             reg->RegCloseKey(key);
             return "query=" + num(s);
         },
         "query=87"},
        {"reserved word given",
         [] {
             const RegHandle key = openKey(kPath);
             RegDword reserved = 0;
             RegDword size = 0;
             const RegStatus s = reg->RegQueryValueExA(key, "Copy2Clip", &reserved, nullptr, nullptr, &size);
             const RegStatus set = reg->RegSetValueExA(key, "Copy2Clip", 1, kRegSz,
                                                       reinterpret_cast<const std::uint8_t*>("x"), 2);
             reg->RegCloseKey(key);
             return "query=" + num(s) + " set=" + num(set);
         },
         "query=87 set=0"},
        {"other values are left alone by a write",
         [] {
             const RegHandle key = createKey(kPath);
             setValue(key, "SplashScreen", kRegSz, "1", 2);
             setValue(key, "PlaceInTray", kRegSz, "0", 2);
             setValue(key, "Copy2Clip", kRegSz, "True", 5);
             setValue(key, "SplashScreen", kRegSz, "0", 2);
             std::string out = describe(key, "PlaceInTray") + " | " + describe(key, "Copy2Clip") + " | "
                 + describe(key, "SplashScreen");
             reg->RegCloseKey(key);
             return out;
         },
         "size-query=0 type=1 size=2 read=0 got=2 data=3000 after=aa | "
         "size-query=0 type=1 size=5 read=0 got=5 data=5472756500 after=aa | "
         "size-query=0 type=1 size=2 read=0 got=2 data=3000 after=aa"},
        {"names are case-insensitive",
         [] {
             const RegHandle key = openKey("SOFTWARE\\ardelon\\TOVRIN");
             std::string out = std::string("handle=") + handleState(key) + " " + describe(key, "copy2clip");
             reg->RegCloseKey(key);
             return out;
         },
         "handle=valid size-query=0 type=1 size=5 read=0 got=5 data=5472756500 after=aa"},
        {"a trailing backslash names the same key",
         [] {
             RegHandle h = 0;
             const RegStatus s = reg->RegOpenKeyA(kHkeyCurrentUser, "Software\\Ardelon\\Tovrin\\", &h);
             std::string out = "open=" + num(s) + " " + describe(h, "Copy2Clip");
             reg->RegCloseKey(h);
             return out;
         },
         "open=0 size-query=0 type=1 size=5 read=0 got=5 data=5472756500 after=aa"},
        {"doubled backslashes are one",
         [] {
             RegHandle h = 0;
             const RegStatus s = reg->RegOpenKeyA(kHkeyCurrentUser, "Software\\\\Ardelon\\\\Tovrin", &h);
             std::string out = "open=" + num(s) + " " + describe(h, "Copy2Clip");
             reg->RegCloseKey(h);
             return out;
         },
         "open=0 size-query=0 type=1 size=5 read=0 got=5 data=5472756500 after=aa"},
        {"an empty sub-key hands back the key itself",
         [] {
             const RegHandle key = openKey(kPath);
             RegHandle same = 0;
             const RegStatus s = reg->RegOpenKeyA(key, "", &same);
             RegHandle fromNull = 0;
             const RegStatus n = reg->RegOpenKeyA(key, nullptr, &fromNull);
             std::string out = "open(\"\")=" + num(s) + " handle=" + handleState(same, key) + " open(null)="
                 + num(n) + " handle=" + handleState(fromNull, key);
             reg->RegCloseKey(key);
             return out;
         },
         "open(\"\")=0 handle=same open(null)=0 handle=same"},
        {"creating an empty sub-key opens the key anew",
         [] {
             const RegHandle key = openKey(kPath);
             RegHandle fromEmpty = 0, fromNull = 0;
             const RegStatus e = reg->RegCreateKeyA(key, "", &fromEmpty);
             const RegStatus n = reg->RegCreateKeyA(key, nullptr, &fromNull);
             std::string out = "create(\"\")=" + num(e) + " handle=" + handleState(fromEmpty, key) + " create(null)="
                 + num(n) + " handle=" + handleState(fromNull, key) + " " + describe(fromEmpty, "Copy2Clip");
             reg->RegCloseKey(fromEmpty);
             reg->RegCloseKey(fromNull);
             reg->RegCloseKey(key);
             return out;
         },
         "create(\"\")=0 handle=valid create(null)=0 handle=valid "
         "size-query=0 type=1 size=5 read=0 got=5 data=5472756500 after=aa"},
        {"relative open from an open key",
         [] {
             const RegHandle parent = openKey("Software\\Ardelon");
             RegHandle child = 0;
             const RegStatus s = reg->RegOpenKeyA(parent, "Tovrin", &child);
             std::string out = "open=" + num(s) + " " + describe(child, "PlaceInTray");
             reg->RegCloseKey(child);
             reg->RegCloseKey(parent);
             return out;
         },
         "open=0 size-query=0 type=1 size=2 read=0 got=2 data=3000 after=aa"},
        {"relative create from an open key",
         [] {
             const RegHandle parent = openKey(kPath);
             RegHandle child = 0;
             const RegStatus s = reg->RegCreateKeyA(parent, "Sub\\Deeper", &child);
             reg->RegCloseKey(child);
             reg->RegCloseKey(parent);
             RegHandle check = 0;
             const RegStatus o = reg->RegOpenKeyA(kHkeyCurrentUser, "Software\\Ardelon\\Tovrin\\Sub\\Deeper", &check);
             reg->RegCloseKey(check);
             return "create=" + num(s) + " open=" + num(o);
         },
         "create=0 open=0"},
        {"the default value",
         [] {
             const RegHandle key = createKey(kPath);
             const RegStatus s = setValue(key, nullptr, kRegSz, "dflt", 5);
             std::string out = "set=" + num(s) + " " + describe(key, "") + " | " + describe(key, nullptr);
             reg->RegCloseKey(key);
             return out;
         },
         "set=0 size-query=0 type=1 size=5 read=0 got=5 data=64666c7400 after=aa | "
         "size-query=0 type=1 size=5 read=0 got=5 data=64666c7400 after=aa"},
        {"a closed handle is no longer valid",
         [] {
             RegHandle h = openKey(kPath);
             reg->RegCloseKey(h);
             RegDword size = 0;
             const RegStatus q = reg->RegQueryValueExA(h, "Copy2Clip", nullptr, nullptr, nullptr, &size);
             return "query=" + num(q) + " close-again=" + num(reg->RegCloseKey(h));
         },
         "query=6 close-again=6"},
        {"values survive a fresh start",
         [] {
             reg = makeConformanceBackend(/*fresh=*/false);
             const RegHandle key = openKey(kPath);
             std::string out = describe(key, "SplashScreen") + " | " + describe(key, "Extra");
             reg->RegCloseKey(key);
             return out;
         },
         "size-query=0 type=1 size=2 read=0 got=2 data=3000 after=aa | "
         "size-query=0 type=1 size=3 read=0 got=3 data=616263 after=aa"},
        {"a grouped change is seen at once and kept",
         [] {
             reg->beginChanges();
             const RegHandle key = createKey(kPath);
             const std::uint8_t one[4] = {1, 0, 0, 0};
             std::string out = "set=" + num(setValue(key, "Grouped", kRegSz, "a", 2));
             out += " set=" + num(setValue(key, "GroupedNumber", kRegDword, one, 4));
             out += " " + describe(key, "Grouped");
             RegHandle sub = 0;
             out += " create=" + num(reg->RegCreateKeyA(key, "Group\\Below", &sub));
             reg->RegCloseKey(sub);
             RegHandle check = 0;
             out += " open=" + num(reg->RegOpenKeyA(kHkeyCurrentUser, "Software\\Ardelon\\Tovrin\\Group\\Below", &check));
             reg->RegCloseKey(check);
             reg->RegCloseKey(key);
             out += " commit=" + num(reg->commitChanges());
             reg = makeConformanceBackend(/*fresh=*/false);
             const RegHandle again = openKey(kPath);
             out += " | " + describe(again, "GroupedNumber");
             reg->RegCloseKey(again);
             return out;
         },
         "set=0 set=0 size-query=0 type=1 size=2 read=0 got=2 data=6100 after=aa create=0 open=0 commit=0 | "
         "size-query=0 type=4 size=4 read=0 got=4 data=01000000 after=aa"},
        {"a grouped change reports the first call that failed",
         [] {
             reg->beginChanges();
             const RegHandle key = createKey(kPath);
             std::string out = "set(null key)=" + num(setValue(0, "Grouped", kRegSz, "b", 2));
             RegHandle bad = 0;
             out += " create(leading \\)=" + num(reg->RegCreateKeyA(kHkeyCurrentUser, "\\Software\\Other", &bad));
             out += " set=" + num(setValue(key, "Grouped", kRegSz, "c", 2));
             reg->RegCloseKey(key);
             out += " commit=" + num(reg->commitChanges());
             reg = makeConformanceBackend(/*fresh=*/false);
             const RegHandle again = openKey(kPath);
             out += " | " + describe(again, "Grouped");
             reg->RegCloseKey(again);
             return out;
         },
         "set(null key)=6 create(leading \\)=161 set=0 commit=6 | size-query=0 type=1 size=2 read=0 got=2 data=6300 after=aa"},
        {"a commit without changes",
         [] {
             const RegStatus alone = reg->commitChanges();
             reg->beginChanges();
             return "commit=" + num(alone) + " empty-group=" + num(reg->commitChanges());
         },
         "commit=0 empty-group=0"},
    };
}

} // namespace

int main()
{
    reg = makeConformanceBackend(/*fresh=*/true);
    if (!reg) {
        std::printf("FAIL backend: could not be set up\n");
        return 1;
    }
    int failures = 0;
    for (const Case& c : cases()) {
        const std::string observed = c.run();
        const bool ok = observed == c.expected;
        failures += ok ? 0 : 1;
        std::printf("%s %s: %s\n", ok ? "PASS" : "FAIL", c.name, observed.c_str());
        if (!ok)
            std::printf("     expected: %s\n", c.expected);
    }
    std::fflush(stdout);
    return failures == 0 ? 0 : 1;
}
