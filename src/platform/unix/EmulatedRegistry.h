#pragma once

#include <memory>
#include <string>

#include "platform/RegistryHive.h"

namespace platform {

// The current user's hive kept in one file (see RegFile.h). Every call reads the file
// afresh. A change is made under an exclusive lock on a companion ".lock" file and
// lands by renaming a complete, flushed temporary file over the old one, so readers
// and other copies of the program only ever see a whole file. A file that cannot be
// parsed reads as an empty hive and is moved aside, not overwritten, by the next change.
class EmulatedRegistry final : public HiveRegistry {
public:
    explicit EmulatedRegistry(std::string filePath);

    const std::string& filePath() const { return m_path; }

    // $XDG_CONFIG_HOME/Ardelon/Tovrin.reg, or ~/.config/Ardelon/Tovrin.reg.
    static std::string defaultFilePath();

protected:
    RegHive load() override;
    RegStatus update(const std::function<void(RegHive&)>& change) override;

private:
    std::string m_path;
};

std::shared_ptr<Registry> makeEmulatedRegistry();

} // namespace platform
