#pragma once

#include "platform/RegistryHive.h"

namespace platform::fakes {

// The registry's rules over a hive that lives only as long as the object.
class MemoryRegistry : public HiveRegistry {
public:
    RegHive& hive() { return m_hive; }

protected:
    const RegHive& load() override { return m_hive; }
    RegStatus update(const std::function<void(RegHive&)>& change) override
    {
        change(m_hive);
        return kErrorSuccess;
    }

private:
    RegHive m_hive;
};

} // namespace platform::fakes
