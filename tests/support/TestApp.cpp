#include "support/TestApp.h"

#include <QCoreApplication>
#include <QEvent>

#include "app/StartUp.h"
#include "core/ProgramEnd.h"
#include "core/Settings.h"
#include "core/WindowHolder.h"

TestApp::TestApp()
    : fakes(platform::fakes::installFakes())
{
    setEndProgramHandler([this] { ++endRequests; });
    windows().onLastUnloaded = nullptr;
    connectProgramWindows();
    settings().reset();
}

TestApp::~TestApp()
{
    windows().destroyAll();
    setEndProgramHandler(nullptr);
}

RegistryTestApp::RegistryTestApp()
    : registry(platform::fakes::installFakeRegistry())
{
}

RegistryTestApp::~RegistryTestApp()
{
    windows().destroyAll();
    platform::services().registry.reset();
}

void settleDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
