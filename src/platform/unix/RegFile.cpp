#include "platform/unix/RegFile.h"

#include <cstdio>
#include <unordered_map>
#include <vector>

namespace platform::regfile {
namespace {

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";
constexpr std::string_view kRoot = "HKEY_CURRENT_USER";

std::string_view trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// A hex number of 1 to 8 digits, the whole of `s`.
std::optional<RegDword> parseHexNumber(std::string_view s)
{
    if (s.empty() || s.size() > 8)
        return std::nullopt;
    RegDword value = 0;
    for (char c : s) {
        const int d = hexDigit(c);
        if (d < 0)
            return std::nullopt;
        value = (value << 4) | static_cast<RegDword>(d);
    }
    return value;
}

// A quoted text at the start of `s`; leaves `s` after the closing quote.
std::optional<std::string> parseQuoted(std::string_view& s)
{
    if (s.empty() || s.front() != '"')
        return std::nullopt;
    std::string out;
    std::size_t i = 1;
    for (; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '"')
            break;
        if (c == '\\') {
            if (i + 1 >= s.size() || (s[i + 1] != '\\' && s[i + 1] != '"'))
                return std::nullopt;
            out += s[++i];
        } else {
            out += c;
        }
    }
    if (i >= s.size())
        return std::nullopt;
    s.remove_prefix(i + 1);
    return out;
}

// "61,62, 00" -> bytes. An empty list is fine; a trailing comma is not.
std::optional<std::vector<std::uint8_t>> parseHexList(std::string_view s)
{
    std::vector<std::uint8_t> out;
    s = trim(s);
    if (s.empty())
        return out;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = s.find(',', start);
        const std::string_view item = trim(s.substr(start, comma == std::string_view::npos ? s.npos : comma - start));
        if (item.size() != 2 && item.size() != 1)
            return std::nullopt;
        const std::optional<RegDword> byte = parseHexNumber(item);
        if (!byte)
            return std::nullopt;
        out.push_back(static_cast<std::uint8_t>(*byte));
        if (comma == std::string_view::npos)
            break;
        start = comma + 1;
    }
    return out;
}

bool isValidUtf8(const std::vector<std::uint8_t>& bytes, std::size_t size)
{
    std::size_t i = 0;
    while (i < size) {
        const std::uint8_t c = bytes[i];
        std::size_t extra = 0;
        std::uint32_t cp = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            extra = 1;
            cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2;
            cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (i + extra >= size)
            return false;
        for (std::size_t k = 1; k <= extra; ++k) {
            if ((bytes[i + k] & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (bytes[i + k] & 0x3F);
        }
        const std::uint32_t minimum = extra == 1 ? 0x80 : extra == 2 ? 0x800 : 0x10000;
        if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += extra + 1;
    }
    return true;
}

// A REG_SZ that reads back exactly from a quoted text: one terminating NUL and
// nothing the file's quoted form cannot carry.
bool fitsQuotedText(const RegValue& v)
{
    if (v.type != kRegSz || v.data.empty() || v.data.back() != 0)
        return false;
    const std::size_t size = v.data.size() - 1;
    for (std::size_t i = 0; i < size; ++i) {
        const std::uint8_t c = v.data[i];
        if (c < 0x20 || c == 0x7f)
            return false;
    }
    return isValidUtf8(v.data, size);
}

void appendQuoted(std::string& out, std::string_view text)
{
    out += '"';
    for (char c : text) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    out += '"';
}

void appendHexList(std::string& out, const std::vector<std::uint8_t>& data, std::size_t column)
{
    char part[4];
    for (std::size_t i = 0; i < data.size(); ++i) {
        std::snprintf(part, sizeof part, "%02x", data[i]);
        out += part;
        column += 2;
        if (i + 1 < data.size()) {
            out += ',';
            ++column;
            if (column > 76) {
                out += "\\\n  ";
                column = 2;
            }
        }
    }
}

struct Parser {
    RegHive hive;
    std::unordered_map<std::string, std::size_t> keyIndex;
    std::vector<std::unordered_map<std::string, std::size_t>> valueIndex;
    std::optional<std::size_t> current;

    bool key(std::string_view inner)
    {
        if (!hive::sameName(inner.substr(0, kRoot.size()), kRoot))
            return false;
        inner.remove_prefix(std::min(inner.size(), kRoot.size()));
        if (!inner.empty() && inner.front() != '\\')
            return false;
        if (!inner.empty())
            inner.remove_prefix(1);
        const std::optional<std::string> path = hive::joinPath("", inner);
        if (!path)
            return false;
        const std::string folded = hive::folded(*path);
        auto [it, added] = keyIndex.emplace(folded, hive.keys.size());
        if (added) {
            hive.keys.push_back(RegKey{*path, {}});
            valueIndex.emplace_back();
        }
        current = it->second;
        return true;
    }

    bool value(std::string_view line)
    {
        if (!current)
            return false;
        std::string name;
        if (!line.empty() && line.front() == '@') {
            line.remove_prefix(1);
        } else {
            std::optional<std::string> quoted = parseQuoted(line);
            if (!quoted || quoted->empty() || !hive::isStorableName(*quoted))
                return false;
            name = std::move(*quoted);
        }
        line = trim(line);
        if (line.empty() || line.front() != '=')
            return false;
        line = trim(line.substr(1));

        RegValue v;
        v.name = name;
        if (!line.empty() && line.front() == '"') {
            std::optional<std::string> text = parseQuoted(line);
            if (!text || !trim(line).empty())
                return false;
            v.type = kRegSz;
            v.data.assign(text->begin(), text->end());
            v.data.push_back(0);
        } else if (line.substr(0, 6) == "dword:") {
            const std::optional<RegDword> n = parseHexNumber(line.substr(6));
            if (!n)
                return false;
            v.type = kRegDword;
            for (int i = 0; i < 4; ++i)
                v.data.push_back(static_cast<std::uint8_t>(*n >> (8 * i)));
        } else if (line.substr(0, 4) == "hex:") {
            std::optional<std::vector<std::uint8_t>> bytes = parseHexList(line.substr(4));
            if (!bytes)
                return false;
            v.type = kRegBinary;
            v.data = std::move(*bytes);
        } else if (line.substr(0, 4) == "hex(") {
            const std::size_t close = line.find(')');
            if (close == std::string_view::npos || line.substr(close, 2) != "):")
                return false;
            const std::optional<RegDword> type = parseHexNumber(line.substr(4, close - 4));
            std::optional<std::vector<std::uint8_t>> bytes = parseHexList(line.substr(close + 2));
            if (!type || !bytes)
                return false;
            v.type = *type;
            v.data = std::move(*bytes);
        } else {
            return false;
        }

        RegKey& k = hive.keys[*current];
        auto [it, added] = valueIndex[*current].emplace(hive::folded(name), k.values.size());
        if (added)
            k.values.push_back(std::move(v));
        else
            k.values[it->second] = RegValue{k.values[it->second].name, v.type, std::move(v.data)};
        return true;
    }
};

} // namespace

std::optional<RegHive> parse(std::string_view text)
{
    if (text.size() > kMaxFileSize)
        return std::nullopt;
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);

    Parser parser;
    bool sawHeader = false;
    std::size_t pos = 0;
    while (pos < text.size()) {
        // One logical line: physical lines joined where a hex list ends in a backslash.
        std::string logical;
        bool more = true;
        while (more && pos < text.size()) {
            std::size_t end = text.find('\n', pos);
            if (end == std::string_view::npos)
                end = text.size();
            std::string_view physical = text.substr(pos, end - pos);
            pos = end + 1;
            if (!physical.empty() && physical.back() == '\r')
                physical.remove_suffix(1);
            physical = trim(physical);
            logical += physical;
            // Only a hex list is continued, and the editor breaks it after a comma.
            more = logical.size() >= 2 && logical.front() != ';' && logical.compare(logical.size() - 2, 2, ",\\") == 0;
            if (more)
                logical.pop_back();
        }
        if (more)
            return std::nullopt; // the file ends inside a continued line

        const std::string_view line = trim(logical);
        if (line.empty() || line.front() == ';')
            continue;
        if (!sawHeader) {
            if (line != kHeader)
                return std::nullopt;
            sawHeader = true;
            continue;
        }
        if (line.front() == '[') {
            if (line.back() != ']' || !parser.key(line.substr(1, line.size() - 2)))
                return std::nullopt;
        } else if (!parser.value(line)) {
            return std::nullopt;
        }
    }
    if (!sawHeader)
        return std::nullopt;
    return std::move(parser.hive);
}

std::string serialize(const RegHive& hive)
{
    std::string out(kHeader);
    out += "\n";
    for (const RegKey& k : hive.keys) {
        out += "\n[";
        out += kRoot;
        if (!k.path.empty()) {
            out += '\\';
            out += k.path;
        }
        out += "]\n";
        for (const RegValue& v : k.values) {
            const std::size_t lineStart = out.size();
            if (v.name.empty())
                out += '@';
            else
                appendQuoted(out, v.name);
            out += '=';
            if (fitsQuotedText(v)) {
                appendQuoted(out, std::string_view(reinterpret_cast<const char*>(v.data.data()), v.data.size() - 1));
            } else if (v.type == kRegDword && v.data.size() == 4) {
                char number[16];
                const RegDword n = v.data[0] | (v.data[1] << 8) | (v.data[2] << 16) | (static_cast<RegDword>(v.data[3]) << 24);
                std::snprintf(number, sizeof number, "dword:%08x", n);
                out += number;
            } else {
                if (v.type == kRegBinary) {
                    out += "hex:";
                } else {
                    char prefix[24];
                    std::snprintf(prefix, sizeof prefix, "hex(%x):", v.type);
                    out += prefix;
                }
                appendHexList(out, v.data, out.size() - lineStart);
            }
            out += '\n';
        }
    }
    return out;
}

} // namespace platform::regfile
