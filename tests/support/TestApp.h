#pragma once

#include "platform/fakes/Fakes.h"

// Fresh doubles and no loaded windows for each test; ending the program is recorded
// instead of leaving the event loop.
struct TestApp {
    TestApp();
    ~TestApp();

    platform::fakes::InstalledFakes fakes;
    int endRequests = 0;
};
