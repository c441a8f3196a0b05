#pragma once

#include <memory>

#include "app/Program.h"
#include "doubles/FakeNotifyIcon.h"
#include "doubles/FakeRegistry.h"
#include "doubles/FakeServices.h"

// A fresh program for each test, built on doubles: clipboard, links and beeper always,
// a notification area and an empty settings store when asked for. No windows are
// loaded, and ending the program is recorded instead of leaving the event loop.
struct TestApp {
    struct Doubles {
        bool notifyIcon = false;
        bool registry = false;
    };
    TestApp();
    explicit TestApp(Doubles doubles);
    ~TestApp();

    Program& program() { return *m_program; }
    WindowHolder& windows() { return m_program->windows(); }
    SettingsStore& settings() { return m_program->settings(); }
    platform::Services& services() { return m_program->services(); }
    WindowContext& context() { return m_program->context(); }

    platform::fakes::InstalledFakes fakes;
    // Null unless asked for.
    platform::fakes::FakeNotifyIcon* shell = nullptr;
    std::shared_ptr<platform::fakes::FakeRegistry> registry;
    int endRequests = 0;

private:
    std::unique_ptr<Program> m_program;
};

// The same with an empty fake settings store.
struct RegistryTestApp : TestApp {
    RegistryTestApp()
        : TestApp({.notifyIcon = false, .registry = true})
    {
    }
};

// Runs the deleteLater()s of windows unloaded so far.
void settleDeletes();

// The child of `parent` named `name`: controls are found by their object names. A
// missing one ends the test program with its name.
template <class T>
T* named(const QObject& parent, const char* name)
{
    T* found = parent.findChild<T*>(QString::fromLatin1(name));
    if (!found)
        qFatal("%s has no child named %s", qPrintable(parent.objectName()), name);
    return found;
}
