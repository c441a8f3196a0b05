#include <QtTest>

#include "core/WindowHolder.h"
#include "support/TestApp.h"

namespace {

int g_loads = 0;

class ProbeWindow final : public Window {
public:
    void onLoad() override
    {
        ++g_loads;
        loadNumber = g_loads;
    }
    int loadNumber = 0;
};

class OtherWindow final : public Window {
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
        QVERIFY(!windows().isLoaded<ProbeWindow>());
        ProbeWindow& a = windows().get<ProbeWindow>();
        ProbeWindow& b = windows().get<ProbeWindow>();
        QCOMPARE(&a, &b);
        QCOMPARE(g_loads, 1);
        QVERIFY(!a.isVisible());
    }

    void hideKeepsItLoaded()
    {
        windows().get<ProbeWindow>().showModeless();
        windows().get<ProbeWindow>().hide();
        QVERIFY(windows().isLoaded<ProbeWindow>());
        windows().get<ProbeWindow>();
        QCOMPARE(g_loads, 1);
    }

    void closeBoxUnloadsAndNextReferenceLoadsAfresh()
    {
        QPointer<ProbeWindow> first = &windows().get<ProbeWindow>();
        first->showModeless();
        first->close();
        QVERIFY(!windows().isLoaded<ProbeWindow>());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(first.isNull());
        QCOMPARE(windows().get<ProbeWindow>().loadNumber, 2);
    }

    void lastUnloadEndsTheRun()
    {
        int ends = 0;
        windows().onLastUnloaded = [&] { ++ends; };
        windows().get<ProbeWindow>();
        windows().get<OtherWindow>();
        windows().unload<ProbeWindow>();
        QCOMPARE(ends, 0);
        windows().unload<OtherWindow>();
        QCOMPARE(ends, 1);
        windows().onLastUnloaded = nullptr;
    }

    void unloadOfAnUnloadedWindowDoesNothing()
    {
        windows().unload<ProbeWindow>();
        QCOMPARE(windows().loadedCount(), 0);
    }

    void showModelessCentresOnFirstShow()
    {
        ProbeWindow& f = windows().get<ProbeWindow>();
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
