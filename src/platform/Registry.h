#pragma once

// The registry as the program sees it: the five ANSI calls of the Windows API, with
// their result codes and typed values. Plain C++ on purpose: the same conformance
// cases are built against the Linux emulation and, with a Windows cross compiler,
// against a real advapi32.

#include <cstdint>

namespace platform {

// A key handle. Null (0) is never a valid key.
using RegHandle = std::uintptr_t;
using RegStatus = std::int32_t;
using RegDword = std::uint32_t;

// The predefined root of the current user's keys, with the value Windows gives it
// (sign-extended on 64-bit systems).
inline constexpr RegHandle kHkeyCurrentUser =
    static_cast<RegHandle>(static_cast<std::intptr_t>(static_cast<std::int32_t>(0x80000001u)));

// Value types.
inline constexpr RegDword kRegNone = 0;
inline constexpr RegDword kRegSz = 1;
inline constexpr RegDword kRegExpandSz = 2;
inline constexpr RegDword kRegBinary = 3;
inline constexpr RegDword kRegDword = 4;

// Win32 result codes.
inline constexpr RegStatus kErrorSuccess = 0;
inline constexpr RegStatus kErrorFileNotFound = 2;
inline constexpr RegStatus kErrorPathNotFound = 3;
inline constexpr RegStatus kErrorAccessDenied = 5;
inline constexpr RegStatus kErrorInvalidHandle = 6;
inline constexpr RegStatus kErrorOutOfMemory = 14;
inline constexpr RegStatus kErrorWriteFault = 29;
inline constexpr RegStatus kErrorInvalidParameter = 87;
inline constexpr RegStatus kErrorMoreData = 234;
inline constexpr RegStatus kErrorNoAccess = 998;
inline constexpr RegStatus kErrorBadPathname = 161;

class Registry {
public:
    virtual ~Registry() = default;

    // Opens an existing key. A null or empty subKey hands back `key` itself.
    virtual RegStatus RegOpenKeyA(RegHandle key, const char* subKey, RegHandle* result) = 0;
    // Opens a key, creating it and every missing key on the way.
    virtual RegStatus RegCreateKeyA(RegHandle key, const char* subKey, RegHandle* result) = 0;
    // With data null: reports type and size only. A buffer too small gives kErrorMoreData
    // and the size needed.
    virtual RegStatus RegQueryValueExA(RegHandle key, const char* valueName, RegDword* reserved,
                                       RegDword* type, std::uint8_t* data, RegDword* dataSize) = 0;
    virtual RegStatus RegSetValueExA(RegHandle key, const char* valueName, RegDword reserved,
                                     RegDword type, const std::uint8_t* data, RegDword dataSize) = 0;
    virtual RegStatus RegCloseKey(RegHandle key) = 0;

    // Groups the calls up to commitChanges() into one change that lands whole or not at
    // all: on the emulation one file replace under one lock, waited for at most about
    // 2 s. Where the store has no such grouping (advapi32) every call lands on its own
    // and commitChanges() reports the first failure among them.
    virtual void beginChanges() {}
    virtual RegStatus commitChanges() { return kErrorSuccess; }
};

} // namespace platform
