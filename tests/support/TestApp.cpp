#include "support/TestApp.h"

#include <QCoreApplication>
#include <QEvent>

#include "core/Forms.h"
#include "core/StartUp.h"

TestApp::TestApp()
    : fakes(platform::fakes::installFakes())
{
    setEndProgramHandler([this] { ++endRequests; });
    forms().onLastUnloaded = nullptr;
}

TestApp::~TestApp()
{
    forms().destroyAll();
    setEndProgramHandler(nullptr);
}

RegistryTestApp::RegistryTestApp()
    : registry(platform::fakes::installFakeRegistry())
{
}

RegistryTestApp::~RegistryTestApp()
{
    forms().destroyAll();
    platform::services().registry.reset();
}

void settleDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
