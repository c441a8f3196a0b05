#include <QtTest>

#include "ui/windows/WindowHolder.h"
#include "support/TestApp.h"

namespace {

int g_loads = 0;

class ProbeWindow final : public Window {
public:
    using Window::Window;
    void onLoad() override
    {
        ++g_loads;
        loadNumber = g_loads;
    }
    int loadNumber = 0;
};

class OtherWindow final : public Window {
public:
    using Window::Window;
};

} // namespace

class TestForms : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        m_app = std::make_unique<TestApp>();
        g_loads = 0;
    }
    void cleanup() { m_app.reset(); }

    void loadsOnceOnFirstReference()
    {
        QVERIFY(!m_app->windows().isLoaded<ProbeWindow>());
        ProbeWindow& a = m_app->windows().get<ProbeWindow>();
        ProbeWindow& b = m_app->windows().get<ProbeWindow>();
        QCOMPARE(&a, &b);
        QCOMPARE(g_loads, 1);
        QVERIFY(!a.isVisible());
    }

    void hideKeepsItLoaded()
    {
        m_app->windows().get<ProbeWindow>().showModeless();
        m_app->windows().get<ProbeWindow>().hide();
        QVERIFY(m_app->windows().isLoaded<ProbeWindow>());
        m_app->windows().get<ProbeWindow>();
        QCOMPARE(g_loads, 1);
    }

    void closeBoxUnloadsAndNextReferenceLoadsAfresh()
    {
        QPointer<ProbeWindow> first = &m_app->windows().get<ProbeWindow>();
        first->showModeless();
        first->close();
        QVERIFY(!m_app->windows().isLoaded<ProbeWindow>());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(first.isNull());
        QCOMPARE(m_app->windows().get<ProbeWindow>().loadNumber, 2);
    }

    void lastUnloadEndsTheRun()
    {
        int ends = 0;
        m_app->windows().onLastUnloaded = [&] { ++ends; };
        m_app->windows().get<ProbeWindow>();
        m_app->windows().get<OtherWindow>();
        m_app->windows().unload<ProbeWindow>();
        QCOMPARE(ends, 0);
        m_app->windows().unload<OtherWindow>();
        QCOMPARE(ends, 1);
        m_app->windows().onLastUnloaded = nullptr;
    }

    void unloadOfAnUnloadedWindowDoesNothing()
    {
        m_app->windows().unload<ProbeWindow>();
        QCOMPARE(m_app->windows().loadedCount(), 0);
    }

    void showModelessCentresOnFirstShow()
    {
        ProbeWindow& f = m_app->windows().get<ProbeWindow>();
        f.client()->setFixedSize(200, 100);
        f.showModeless();
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY(qAbs(f.geometry().center().x() - screen.center().x()) <= 2);
        f.move(10, 10);
        f.hide();
        f.showModeless();
        QCOMPARE(f.pos(), QPoint(10, 10));
    }

private:
    std::unique_ptr<TestApp> m_app;
};

QTEST_MAIN(TestForms)
#include "tst_windowholder.moc"
