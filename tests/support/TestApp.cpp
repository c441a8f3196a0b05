#include "support/TestApp.h"

#include <QCoreApplication>
#include <QEvent>

namespace {

platform::Services doublesFor(const TestApp::Doubles& doubles, TestApp& app)
{
    platform::Services services;
    app.fakes = platform::fakes::installFakes(services);
    if (doubles.notifyIcon)
        app.shell = platform::fakes::installFakeNotifyIcon(services);
    if (doubles.registry)
        app.registry = platform::fakes::installFakeRegistry(services);
    return services;
}

} // namespace

TestApp::TestApp()
    : TestApp(Doubles{})
{
}

TestApp::TestApp(Doubles doubles)
    : m_program(std::make_unique<Program>(doublesFor(doubles, *this)))
{
    m_program->end().setHandler([this] { ++endRequests; });
}

TestApp::~TestApp()
{
    m_program.reset();
    settleDeletes();
}

void settleDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
