// Backend for the native build of the conformance cases: the file-backed emulation in
// a private temporary folder.
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "platform/unix/EmulatedRegistry.h"
#include "registry/ConformanceBackend.h"

std::shared_ptr<platform::Registry> makeConformanceBackend(bool fresh)
{
    static std::string file;
    if (file.empty()) {
        const char* tmp = std::getenv("TMPDIR");
        std::string dir = std::string(tmp && *tmp ? tmp : "/tmp") + "/tovrin-conformance.XXXXXX";
        if (!::mkdtemp(dir.data()))
            return nullptr;
        file = dir + "/Ardelon/Tovrin.reg";
        static const std::string folder = dir;
        std::atexit([] { std::filesystem::remove_all(folder); });
    }
    if (fresh)
        ::unlink(file.c_str());
    return std::make_shared<platform::EmulatedRegistry>(file);
}
