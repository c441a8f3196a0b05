#include "platform/win/WinRegistry.h"

#include <windows.h>

namespace platform {
namespace {

HKEY toHkey(RegHandle key)
{
    return reinterpret_cast<HKEY>(key);
}

class WinRegistry final : public Registry {
public:
    RegStatus RegOpenKeyA(RegHandle key, const char* subKey, RegHandle* result) override
    {
        HKEY opened = result ? toHkey(*result) : nullptr;
        const LONG status = ::RegOpenKeyA(toHkey(key), subKey, result ? &opened : nullptr);
        if (result)
            *result = reinterpret_cast<RegHandle>(opened);
        return status;
    }

    RegStatus RegCreateKeyA(RegHandle key, const char* subKey, RegHandle* result) override
    {
        HKEY created = result ? toHkey(*result) : nullptr;
        const LONG status = ::RegCreateKeyA(toHkey(key), subKey, result ? &created : nullptr);
        if (result)
            *result = reinterpret_cast<RegHandle>(created);
        return status;
    }

    RegStatus RegQueryValueExA(RegHandle key, const char* valueName, RegDword* reserved, RegDword* type,
                               std::uint8_t* data, RegDword* dataSize) override
    {
        static_assert(sizeof(DWORD) == sizeof(RegDword));
        return ::RegQueryValueExA(toHkey(key), valueName, reinterpret_cast<LPDWORD>(reserved),
                                  reinterpret_cast<LPDWORD>(type), data, reinterpret_cast<LPDWORD>(dataSize));
    }

    RegStatus RegSetValueExA(RegHandle key, const char* valueName, RegDword reserved, RegDword type,
                             const std::uint8_t* data, RegDword dataSize) override
    {
        return ::RegSetValueExA(toHkey(key), valueName, reserved, type, data, dataSize);
    }

    RegStatus RegCloseKey(RegHandle key) override
    {
        return ::RegCloseKey(toHkey(key));
    }
};

} // namespace

std::shared_ptr<Registry> makeWinRegistry()
{
    return std::make_shared<WinRegistry>();
}

} // namespace platform
