// The `tovrin` command on Linux. A keyboard shortcut's `tovrin --upper` mostly finds a
// copy running: it hands the action over from here, through the bus library alone, and
// ends without ever loading Qt's GUI. Any other start loads the program from its
// private library and runs it in this same process.
#include <dlfcn.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>

#include "ProgramEntry.h"
#include "app/CommandOptions.h"
#include "platform/unix/EarlyHandOver.h"

namespace {

// The program's library, found from where this command really is (links resolved),
// so that an installed tree and the build tree both work wherever they are.
std::string programLibraryPath()
{
    char self[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", self, sizeof(self) - 1);
    if (length <= 0)
        return TOVRIN_PROGRAM_LIBRARY;
    const std::string exe(self, static_cast<size_t>(length));
    return exe.substr(0, exe.rfind('/') + 1) + TOVRIN_PROGRAM_LIBRARY;
}

} // namespace

int main(int argc, char* argv[])
{
    platform::keepSessionBusFromLaunching();
    const std::string action = requestedAction(argc - 1, argv + 1);
    if (!action.empty() && platform::handOverBeforeStart(kAppId, action))
        return 0;

    const std::string path = programLibraryPath();
    void* program = ::dlopen(path.c_str(), RTLD_LAZY | RTLD_LOCAL);
    const auto programMain
        = program ? reinterpret_cast<TovrinProgramMain>(::dlsym(program, kProgramMainSymbol)) : nullptr;
    if (!programMain) {
        const char* name = argc > 0 ? std::strrchr(argv[0], '/') : nullptr;
        std::fprintf(stderr, "%s: cannot load the program (%s)\n",
                     name ? name + 1 : (argc > 0 ? argv[0] : "tovrin"), ::dlerror());
        return 1;
    }
    return programMain(argc, argv);
}
