#pragma once

#include <memory>

#include "doubles/FakeRegistry.h"
#include "doubles/FakeServices.h"

// Fresh doubles, fresh settings and no loaded windows for each test; ending the
// program is recorded instead of leaving the event loop.
struct TestApp {
    TestApp();
    ~TestApp();

    platform::fakes::InstalledFakes fakes;
    int endRequests = 0;
};

// The same with an empty fake settings store, taken out again after the windows are
// gone, so no later test reads what this one stored.
struct RegistryTestApp : TestApp {
    RegistryTestApp();
    ~RegistryTestApp();

    std::shared_ptr<platform::fakes::FakeRegistry> registry;
};

// Runs the deleteLater()s of windows unloaded so far.
void settleDeletes();
