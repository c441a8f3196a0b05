#include "platform/RegistryHive.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace platform {
namespace hive {
namespace {

char foldAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// True when `path` is `ancestor` or lies below it.
bool isAtOrBelow(std::string_view path, std::string_view ancestor)
{
    if (ancestor.empty())
        return true;
    if (path.size() < ancestor.size() || !sameName(path.substr(0, ancestor.size()), ancestor))
        return false;
    return path.size() == ancestor.size() || path[ancestor.size()] == '\\';
}

} // namespace

bool sameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (foldAscii(a[i]) != foldAscii(b[i]))
            return false;
    }
    return true;
}

std::string folded(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        c = foldAscii(c);
    return out;
}

RegKey* findKey(RegHive& h, std::string_view path)
{
    for (RegKey& k : h.keys) {
        if (sameName(k.path, path))
            return &k;
    }
    return nullptr;
}

const RegKey* findKey(const RegHive& h, std::string_view path)
{
    return findKey(const_cast<RegHive&>(h), path);
}

bool keyExists(const RegHive& h, std::string_view path)
{
    // Every user's hive has "Software"; the emulated one lists it only when needed.
    if (path.empty() || sameName(path, "Software"))
        return true;
    return std::any_of(h.keys.begin(), h.keys.end(), [&](const RegKey& k) { return isAtOrBelow(k.path, path); });
}

RegKey& ensureKey(RegHive& h, std::string_view path)
{
    if (RegKey* k = findKey(h, path))
        return *k;
    h.keys.push_back(RegKey{std::string(path), {}});
    return h.keys.back();
}

const RegValue* findValue(const RegKey& k, std::string_view name)
{
    for (const RegValue& v : k.values) {
        if (sameName(v.name, name))
            return &v;
    }
    return nullptr;
}

void setValue(RegKey& k, std::string_view name, RegDword type, std::vector<std::uint8_t> data)
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

bool isStringType(RegDword type)
{
    return type == kRegSz || type == kRegExpandSz || type == 7 /* REG_MULTI_SZ */;
}

bool isStorableName(std::string_view name)
{
    return std::none_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; });
}

std::optional<std::string> joinPath(std::string_view base, std::string_view sub)
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

} // namespace hive

RegStatus HiveRegistry::RegOpenKeyA(RegHandle key, const char* subKey, RegHandle* result)
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

RegStatus HiveRegistry::RegCreateKeyA(RegHandle key, const char* subKey, RegHandle* result)
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

RegStatus HiveRegistry::RegQueryValueExA(RegHandle key, const char* valueName, RegDword* reserved, RegDword* type,
                                         std::uint8_t* data, RegDword* dataSize)
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

// The reserved argument is ignored, as Wine does.
RegStatus HiveRegistry::RegSetValueExA(RegHandle key, const char* valueName, RegDword, RegDword type,
                                       const std::uint8_t* data, RegDword dataSize)
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

RegStatus HiveRegistry::RegCloseKey(RegHandle key)
{
    std::lock_guard lock(m_mutex);
    if (key == kHkeyCurrentUser)
        return kErrorSuccess;
    return m_open.erase(key) ? kErrorSuccess : kErrorInvalidHandle;
}

void HiveRegistry::beginChanges()
{
    std::lock_guard lock(m_mutex);
    if (!m_group)
        m_group.emplace();
}

RegStatus HiveRegistry::commitChanges()
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

const RegHive& HiveRegistry::current()
{
    const RegHive& stored = load();
    if (!m_group || m_group->changes.empty())
        return stored;
    m_view = stored;
    for (const Change& c : m_group->changes)
        c(m_view);
    return m_view;
}

RegStatus HiveRegistry::change(Change c)
{
    if (!m_group)
        return update(c);
    m_group->changes.push_back(std::move(c));
    return kErrorSuccess;
}

RegStatus HiveRegistry::noteFailure(RegStatus status)
{
    if (m_group && m_group->firstFailure == kErrorSuccess)
        m_group->firstFailure = status;
    return status;
}

std::optional<std::string> HiveRegistry::pathOf(RegHandle key) const
{
    if (key == kHkeyCurrentUser)
        return std::string();
    const auto it = m_open.find(key);
    if (it == m_open.end())
        return std::nullopt;
    return it->second;
}

RegHandle HiveRegistry::newHandle(const std::string& path)
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

} // namespace platform
