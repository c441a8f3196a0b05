#pragma once

#include <ctime>
#include <memory>
#include <optional>
#include <string>
#include <sys/stat.h>

#include "platform/RegistryHive.h"

namespace platform::posix {
class LockFile;
}

namespace platform {

// The current user's hive kept in one file (see RegFile.h). Every call looks at the
// file afresh, but parses it again only when it changed (another identity, size or
// time stamp). A change is made under an exclusive lock on a ".lock" file beside the
// file that links resolve to, and lands by renaming a complete, flushed temporary file
// over the old one, so readers and other copies of the program only ever see a whole
// file. A file that was read and cannot be parsed reads as an empty hive and is moved
// aside, not overwritten, by the next change. A file that cannot be opened or read at
// all (too many open files, an I/O error) reads as an empty hive, and no change is
// made while it stays so; anything but a regular file at the path (a folder, a pipe, a
// device) reads as empty and is never replaced. Nothing waits on opening the file, and
// a writer waits for the lock at most about 2 s.
class EmulatedRegistry final : public HiveRegistry {
public:
    explicit EmulatedRegistry(std::string filePath);

    const std::string& filePath() const { return m_path; }

    // $XDG_CONFIG_HOME/Ardelon/Tovrin.reg, or ~/.config/Ardelon/Tovrin.reg.
    static std::string defaultFilePath();

protected:
    const RegHive& load() override;
    RegStatus update(const std::function<void(RegHive&)>& change) override;

private:
    // What tells one version of the file from another without reading it.
    struct Identity {
        dev_t dev = 0;
        ino_t ino = 0;
        off_t size = 0;
        timespec mtime {};
        timespec ctime {};
        bool operator==(const Identity& o) const;
    };
    static Identity identify(const struct stat& st);
    enum class State { Missing, Good, Damaged, NotAFile, Unreadable };
    struct Reading {
        State state = State::Missing;
        int error = 0; // for Unreadable
    };

    Reading read(const std::string& path);
    RegStatus replace(const std::string& target, const std::function<void(RegHive&)>& change,
                      const posix::LockFile& lock, bool& lockLost);

    std::string m_path;
    // The last version read or written: its identity, what it held.
    std::optional<Identity> m_cachedId;
    State m_cachedState = State::Missing;
    RegHive m_cached;
    const RegHive m_empty;
};

std::shared_ptr<Registry> makeEmulatedRegistry();

} // namespace platform
