// libFuzzer target for the settings file parser. Any input must parse or be refused
// without a crash, a hang or unbounded memory; whatever parses must come back
// unchanged through writing and reading again.

#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/unix/RegFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::optional<platform::RegHive> hive = platform::regfile::parse(text);
    if (!hive)
        return 0;
    const std::string written = platform::regfile::serialize(*hive);
    const std::optional<platform::RegHive> again = platform::regfile::parse(written);
    if (!again || !(*again == *hive))
        std::abort();
    // Writing is stable: the written form is its own written form.
    if (platform::regfile::serialize(*again) != written)
        std::abort();
    return 0;
}
