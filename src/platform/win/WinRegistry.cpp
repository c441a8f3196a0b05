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
        return noteFailure(status);
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
        return noteFailure(::RegSetValueExA(toHkey(key), valueName, reserved, type, data, dataSize));
    }

    RegStatus RegCloseKey(RegHandle key) override
    {
        return ::RegCloseKey(toHkey(key));
    }

    // advapi32 has no grouping: every call lands on its own, and the group's result is
    // the first change that did not.
    void beginChanges() override
    {
        if (!m_grouping) {
            m_grouping = true;
            m_firstFailure = ERROR_SUCCESS;
        }
    }

    RegStatus commitChanges() override
    {
        const RegStatus status = m_grouping ? m_firstFailure : ERROR_SUCCESS;
        m_grouping = false;
        m_firstFailure = ERROR_SUCCESS;
        return status;
    }

private:
    RegStatus noteFailure(RegStatus status)
    {
        if (m_grouping && status != ERROR_SUCCESS && m_firstFailure == ERROR_SUCCESS)
            m_firstFailure = status;
        return status;
    }

    bool m_grouping = false;
    RegStatus m_firstFailure = ERROR_SUCCESS;
};

} // namespace

std::shared_ptr<Registry> makeWinRegistry()
{
    return std::make_shared<WinRegistry>();
}

} // namespace platform
