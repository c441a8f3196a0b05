#include "support/TestApp.h"

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
