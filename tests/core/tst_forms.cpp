#include <QtTest>

#include "core/Forms.h"
#include "support/TestApp.h"

namespace {

int g_loads = 0;

class frmProbe final : public Form {
public:
    void Form_Load() override
    {
        ++g_loads;
        loadNumber = g_loads;
    }
    int loadNumber = 0;
};

class frmOther final : public Form {
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
        QVERIFY(!forms().isLoaded<frmProbe>());
        frmProbe& a = forms().get<frmProbe>();
        frmProbe& b = forms().get<frmProbe>();
        QCOMPARE(&a, &b);
        QCOMPARE(g_loads, 1);
        QVERIFY(!a.isVisible());
    }

    void hideKeepsItLoaded()
    {
        forms().get<frmProbe>().showModeless();
        forms().get<frmProbe>().hide();
        QVERIFY(forms().isLoaded<frmProbe>());
        forms().get<frmProbe>();
        QCOMPARE(g_loads, 1);
    }

    void closeBoxUnloadsAndNextReferenceLoadsAfresh()
    {
        QPointer<frmProbe> first = &forms().get<frmProbe>();
        first->showModeless();
        first->close();
        QVERIFY(!forms().isLoaded<frmProbe>());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(first.isNull());
        QCOMPARE(forms().get<frmProbe>().loadNumber, 2);
    }

    void lastUnloadEndsTheRun()
    {
        int ends = 0;
        forms().onLastUnloaded = [&] { ++ends; };
        forms().get<frmProbe>();
        forms().get<frmOther>();
        forms().unload<frmProbe>();
        QCOMPARE(ends, 0);
        forms().unload<frmOther>();
        QCOMPARE(ends, 1);
        forms().onLastUnloaded = nullptr;
    }

    void unloadOfAnUnloadedWindowDoesNothing()
    {
        forms().unload<frmProbe>();
        QCOMPARE(forms().loadedCount(), 0);
    }

    void showModelessCentresOnFirstShow()
    {
        frmProbe& f = forms().get<frmProbe>();
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
#include "tst_forms.moc"
