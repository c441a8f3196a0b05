#pragma once

// The emulated current-user hive as a text file in the registry editor's export
// syntax, UTF-8:
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_CURRENT_USER\Software\Ardelon\Tovrin]
//   "SplashScreen"="1"
//   "Count"=dword:00000001
//   "Odd"=hex(1):61,62,00,63        any value whose bytes are not a plain terminated text
//   @="the key's default value"
//
// Comments (;), blank lines, CR LF line ends, \" and \\ in quoted texts, hex lists
// continued over lines with a trailing backslash, and keys and values in any order
// are all read. Anything else makes the whole file unreadable: nothing is guessed.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "platform/RegistryHive.h"

namespace platform::regfile {

// Files larger than this are not parsed at all: the program never writes one.
inline constexpr std::size_t kMaxFileSize = 4u * 1024u * 1024u;

std::optional<RegHive> parse(std::string_view text);
std::string serialize(const RegHive& hive);

} // namespace platform::regfile
