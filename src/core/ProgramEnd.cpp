#include "core/ProgramEnd.h"

#include <QCoreApplication>

namespace {

std::function<void()>& endHandler()
{
    static std::function<void()> handler;
    return handler;
}

bool g_ending = false;

} // namespace

void setEndProgramHandler(std::function<void()> handler)
{
    endHandler() = std::move(handler);
    g_ending = false;
}

bool programEnding()
{
    return g_ending;
}

void endProgram()
{
    g_ending = true;
    if (endHandler()) {
        endHandler()();
        return;
    }
    // exit(), not quit(): quit() would send every window a close event first.
    QCoreApplication::exit(0);
}
