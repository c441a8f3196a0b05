#pragma once

// The registry's rules, kept apart from where the keys are stored: the Linux
// emulation keeps them in a file, the test double in memory. What a caller can
// observe (result codes, handles, typed values with their exact bytes, sizes) follows
// Wine's advapi32, checked by the conformance cases. Header-only so that every build
// (and the Windows one's test double) can use it without a platform backend.

#include <algorithm>
#include <cstdint>
#include <cstring>
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

inline char foldAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Key and value names compare without regard to (ASCII) case, as the registry does.
inline bool sameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (foldAscii(a[i]) != foldAscii(b[i]))
            return false;
    }
    return true;
}

inline std::string folded(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        c = foldAscii(c);
    return out;
}

// True when `path` is `ancestor` or lies below it.
inline bool isAtOrBelow(std::string_view path, std::string_view ancestor)
{
    if (ancestor.empty())
        return true;
    if (path.size() < ancestor.size() || !sameName(path.substr(0, ancestor.size()), ancestor))
        return false;
    return path.size() == ancestor.size() || path[ancestor.size()] == '\\';
}

inline RegKey* findKey(RegHive& h, std::string_view path)
{
    for (RegKey& k : h.keys) {
        if (sameName(k.path, path))
            return &k;
    }
    return nullptr;
}

inline const RegKey* findKey(const RegHive& h, std::string_view path)
{
    return findKey(const_cast<RegHive&>(h), path);
}

inline bool keyExists(const RegHive& h, std::string_view path)
{
    // Every user's hive has "Software"; the emulated one lists it only when needed.
    if (path.empty() || sameName(path, "Software"))
        return true;
    return std::any_of(h.keys.begin(), h.keys.end(), [&](const RegKey& k) { return isAtOrBelow(k.path, path); });
}

inline RegKey& ensureKey(RegHive& h, std::string_view path)
{
    if (RegKey* k = findKey(h, path))
        return *k;
    h.keys.push_back(RegKey{std::string(path), {}});
    return h.keys.back();
}

inline const RegValue* findValue(const RegKey& k, std::string_view name)
{
    for (const RegValue& v : k.values) {
        if (sameName(v.name, name))
            return &v;
    }
    return nullptr;
}

// Stores a value, keeping the spelling and place of one that is already there.
inline void setValue(RegKey& k, std::string_view name, RegDword type, std::vector<std::uint8_t> data)
{
    for (RegValue& v : k.values) {
        if (sameName(v.name, name)) {
            v.type = type;
            v.data = std::move(data);
            return;
        }
    }
    k.values.push_back(RegValue{std::string(name), type, std::move(data)});
}

inline bool isStringType(RegDword type)
{
    return type == kRegSz || type == kRegExpandSz || type == 7 /* REG_MULTI_SZ */;
}

// A name the file can hold: no line breaks or other control characters.
inline bool isStorableName(std::string_view name)
{
    return std::none_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; });
}

// Joins a relative sub-key path to a key path the way the registry does: empty
// components (doubled or trailing backslashes) are skipped; a leading backslash is
// refused. Returns nullopt for a path the registry refuses.
inline std::optional<std::string> joinPath(std::string_view base, std::string_view sub)
{
    if (!sub.empty() && sub.front() == '\\')
        return std::nullopt;
    std::string out(base);
    std::size_t start = 0;
    while (start <= sub.size()) {
        std::size_t end = sub.find('\\', start);
        if (end == std::string_view::npos)
            end = sub.size();
        const std::string_view part = sub.substr(start, end - start);
        if (!part.empty()) {
            if (!isStorableName(part))
                return std::nullopt;
            if (!out.empty())
                out += '\\';
            out += part;
        }
        start = end + 1;
    }
    return out;
}

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
    RegStatus RegOpenKeyA(RegHandle key, const char* subKey, RegHandle* result) override
    {
        if (!result)
            return kErrorInvalidParameter;
        if (!subKey || !*subKey) {
            *result = key;
            return kErrorSuccess;
        }
        std::lock_guard lock(m_mutex);
        const std::optional<std::string> base = pathOf(key);
        if (!base)
            return kErrorInvalidHandle;
        const std::optional<std::string> path = hive::joinPath(*base, subKey);
        if (!path) {
            *result = 0;
            return kErrorBadPathname;
        }
        if (!hive::keyExists(current(), *path)) {
            *result = 0;
            return kErrorFileNotFound;
        }
        *result = newHandle(*path);
        return kErrorSuccess;
    }

    RegStatus RegCreateKeyA(RegHandle key, const char* subKey, RegHandle* result) override
    {
        std::lock_guard lock(m_mutex);
        if (!result)
            return noteFailure(kErrorInvalidParameter);
        const std::optional<std::string> base = pathOf(key);
        if (!base)
            return noteFailure(kErrorInvalidHandle);
        const std::optional<std::string> path = hive::joinPath(*base, subKey ? subKey : "");
        if (!path) {
            *result = 0;
            return noteFailure(kErrorBadPathname);
        }
        if (!hive::keyExists(current(), *path)) {
            const RegStatus stored = change([path = *path](RegHive& h) {
                if (!hive::keyExists(h, path))
                    hive::ensureKey(h, path);
            });
            if (stored != kErrorSuccess) {
                *result = 0;
                return stored;
            }
        }
        *result = newHandle(*path);
        return kErrorSuccess;
    }

    RegStatus RegQueryValueExA(RegHandle key, const char* valueName, RegDword* reserved, RegDword* type,
                               std::uint8_t* data, RegDword* dataSize) override
    {
        if ((data && !dataSize) || reserved)
            return kErrorInvalidParameter;
        std::lock_guard lock(m_mutex);
        const std::optional<std::string> path = pathOf(key);
        if (!path)
            return kErrorInvalidHandle;
        const RegHive& h = current();
        const RegKey* k = hive::findKey(h, *path);
        const RegValue* v = k ? hive::findValue(*k, valueName ? valueName : "") : nullptr;
        if (!v)
            return kErrorFileNotFound;
        const auto size = static_cast<RegDword>(v->data.size());
        if (type)
            *type = v->type;
        RegStatus status = kErrorSuccess;
        if (data) {
            if (size > *dataSize) {
                status = kErrorMoreData;
            } else {
                if (size)
                    std::memcpy(data, v->data.data(), size);
                // A string stored without its terminator gets one where the buffer has room.
                if (hive::isStringType(v->type) && size && size < *dataSize && data[size - 1] != 0)
                    data[size] = 0;
            }
        }
        if (dataSize)
            *dataSize = size;
        return status;
    }

    RegStatus RegSetValueExA(RegHandle key, const char* valueName, RegDword /*reserved: ignored, as Wine does*/,
                             RegDword type, const std::uint8_t* data, RegDword dataSize) override
    {
        std::lock_guard lock(m_mutex);
        if (!data && dataSize)
            return noteFailure(kErrorNoAccess);
        const std::string_view name = valueName ? valueName : "";
        if (!hive::isStorableName(name))
            return noteFailure(kErrorInvalidParameter);
        const std::optional<std::string> path = pathOf(key);
        if (!path)
            return noteFailure(kErrorInvalidHandle);
        return change([path = *path, name = std::string(name), type, bytes = std::vector<std::uint8_t>(data, data + dataSize)](
                          RegHive& h) { hive::setValue(hive::ensureKey(h, path), name, type, bytes); });
    }

    RegStatus RegCloseKey(RegHandle key) override
    {
        std::lock_guard lock(m_mutex);
        if (key == kHkeyCurrentUser)
            return kErrorSuccess;
        return m_open.erase(key) ? kErrorSuccess : kErrorInvalidHandle;
    }

    // Between these two, created keys and set values are kept back (and seen by reads
    // through this object) and then stored by one update(). A second begin joins the
    // open group. The result is the first call refused in the group, else the update's.
    void beginChanges() override
    {
        std::lock_guard lock(m_mutex);
        if (!m_group)
            m_group.emplace();
    }

    RegStatus commitChanges() override
    {
        std::lock_guard lock(m_mutex);
        if (!m_group)
            return kErrorSuccess;
        Group group = std::move(*m_group);
        m_group.reset();
        if (group.changes.empty())
            return group.firstFailure;
        // Replayed on the hive as stored when the update runs, so values another copy
        // stored in the meantime are kept.
        const RegStatus stored = update([&](RegHive& h) {
            for (const auto& c : group.changes)
                c(h);
        });
        return group.firstFailure != kErrorSuccess ? group.firstFailure : stored;
    }

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
    const RegHive& current()
    {
        const RegHive& stored = load();
        if (!m_group || m_group->changes.empty())
            return stored;
        m_view = stored;
        for (const Change& c : m_group->changes)
            c(m_view);
        return m_view;
    }

    RegStatus change(Change c)
    {
        if (!m_group)
            return update(c);
        m_group->changes.push_back(std::move(c));
        return kErrorSuccess;
    }

    RegStatus noteFailure(RegStatus status)
    {
        if (m_group && m_group->firstFailure == kErrorSuccess)
            m_group->firstFailure = status;
        return status;
    }

    std::optional<std::string> pathOf(RegHandle key) const
    {
        if (key == kHkeyCurrentUser)
            return std::string();
        const auto it = m_open.find(key);
        if (it == m_open.end())
            return std::nullopt;
        return it->second;
    }

    RegHandle newHandle(const std::string& path)
    {
        // Small multiples of four, like real handles; never 0 and never reused while open.
        do {
            m_next += 4;
            if (m_next >= 0x7ffffff0)
                m_next = 0x100;
        } while (m_open.count(m_next));
        m_open.emplace(m_next, path);
        return m_next;
    }

    std::mutex m_mutex;
    std::map<RegHandle, std::string> m_open;
    RegHandle m_next = 0x100;
    std::optional<Group> m_group;
    RegHive m_view;
};

// A hive that lives only as long as the object: for tests and as a fallback.
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

} // namespace platform
