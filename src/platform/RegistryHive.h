#pragma once

// The registry's rules, kept apart from where the keys are stored: the Linux
// emulation keeps them in a file, the test double in memory. What a caller can
// observe (result codes, handles, typed values with their exact bytes, sizes) follows
// Wine's advapi32, checked by the conformance cases. Plain C++, built on every
// platform (the Windows build's test double uses it too).

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Registry.h"

namespace platform {

struct RegValue {
    std::string name; // "" is the key's default value
    RegDword type = kRegNone;
    std::vector<std::uint8_t> data;

    bool operator==(const RegValue&) const = default;
};

struct RegKey {
    std::string path; // below the root, components joined by single backslashes; "" is the root
    std::vector<RegValue> values;

    bool operator==(const RegKey&) const = default;
};

// One root's keys. A key also exists when a key below it is listed.
struct RegHive {
    std::vector<RegKey> keys;

    bool operator==(const RegHive&) const = default;
};

namespace hive {

// Key and value names compare without regard to (ASCII) case, as the registry does.
bool sameName(std::string_view a, std::string_view b);
std::string folded(std::string_view s);

RegKey* findKey(RegHive& h, std::string_view path);
const RegKey* findKey(const RegHive& h, std::string_view path);
bool keyExists(const RegHive& h, std::string_view path);
RegKey& ensureKey(RegHive& h, std::string_view path);
const RegValue* findValue(const RegKey& k, std::string_view name);
// Stores a value, keeping the spelling and place of one that is already there.
void setValue(RegKey& k, std::string_view name, RegDword type, std::vector<std::uint8_t> data);

bool isStringType(RegDword type);
// A name the file can hold: no line breaks or other control characters.
bool isStorableName(std::string_view name);

// Joins a relative sub-key path to a key path the way the registry does: empty
// components (doubled or trailing backslashes) are skipped; a leading backslash is
// refused. Returns nullopt for a path the registry refuses.
std::optional<std::string> joinPath(std::string_view base, std::string_view sub);

using Change = std::function<void(RegHive&)>;

// Changes kept back between beginChanges() and commitChanges().
struct ChangeGroup {
    std::vector<Change> changes;
    RegStatus firstFailure = kErrorSuccess;
};

} // namespace hive

// The five calls over a hive that a subclass loads and stores. Handles are plain
// numbers into a table of open keys; every call looks at the stored hive afresh
// (or, inside beginChanges()/commitChanges(), at the stored hive and the group's changes).
class HiveRegistry : public Registry {
public:
    RegStatus RegOpenKeyA(RegHandle key, const char* subKey, RegHandle* result) override;
    RegStatus RegCreateKeyA(RegHandle key, const char* subKey, RegHandle* result) override;
    RegStatus RegQueryValueExA(RegHandle key, const char* valueName, RegDword* reserved, RegDword* type,
                               std::uint8_t* data, RegDword* dataSize) override;
    RegStatus RegSetValueExA(RegHandle key, const char* valueName, RegDword reserved, RegDword type,
                             const std::uint8_t* data, RegDword dataSize) override;
    RegStatus RegCloseKey(RegHandle key) override;

    // Between these two, created keys and set values are kept back (and seen by reads
    // through this object) and then stored by one update(). A second begin joins the
    // open group. The result is the first call refused in the group, else the update's.
    void beginChanges() override;
    RegStatus commitChanges() override;

protected:
    // The hive as stored now; an empty one when nothing (usable) is stored. Valid until
    // the next load() or update().
    virtual const RegHive& load() = 0;
    // Applies a change to the stored hive as one step; returns a result code.
    virtual RegStatus update(const std::function<void(RegHive&)>& change) = 0;

private:
    using Change = hive::Change;
    using Group = hive::ChangeGroup;

    // What the calls see: the stored hive, with the open group's changes on top.
    const RegHive& current();
    RegStatus change(Change c);
    RegStatus noteFailure(RegStatus status);
    std::optional<std::string> pathOf(RegHandle key) const;
    RegHandle newHandle(const std::string& path);

    std::mutex m_mutex;
    std::map<RegHandle, std::string> m_open;
    RegHandle m_next = 0x100;
    std::optional<Group> m_group;
    RegHive m_view;
};

} // namespace platform
