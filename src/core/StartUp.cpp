#include "core/StartUp.h"

#include <QCoreApplication>

#include "ui/main/General.h"

namespace {

std::function<void()>& endHandler()
{
    static std::function<void()> handler;
    return handler;
}

} // namespace

void setEndProgramHandler(std::function<void()> handler)
{
    endHandler() = std::move(handler);
}

void EndProgram()
{
    if (endHandler()) {
        endHandler()();
        return;
    }
    // exit(), not quit(): quit() would send every window a close event first.
    QCoreApplication::exit(0);
}

void Main()
{
    ShowMainOrTray();
}
