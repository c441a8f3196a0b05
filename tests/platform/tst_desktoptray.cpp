#include <QDBusVirtualObject>
#include <QElapsedTimer>
#include <QMenu>
#include <QScopedValueRollback>
#include <QSignalSpy>
#include <QtTest>

#include "doubles/FakeNotifyIcon.h"
#include "platform/unix/DesktopNotifyIcon.h"
#include "platform/unix/StatusNotifierIcon.h"
#include "support/PrivateBus.h"

using platform::DesktopNotifyIcon;
using platform::StatusNotifierIcon;
using platform::TrayRequest;
using platform::fakes::FakeNotifyIcon;

Q_DECLARE_METATYPE(TrayRequest)

namespace {

// Two hosts that come and go as the test says.
struct Desktop {
    bool sniHost = false;
    bool xembedHost = false;
    FakeNotifyIcon* sni = nullptr;
    FakeNotifyIcon* xembed = nullptr;
    std::unique_ptr<DesktopNotifyIcon> icon;

    Desktop(bool sniAtStart, bool xembedAtStart)
        : sniHost(sniAtStart)
        , xembedHost(xembedAtStart)
    {
        auto s = std::make_unique<FakeNotifyIcon>();
        auto x = std::make_unique<FakeNotifyIcon>();
        sni = s.get();
        xembed = x.get();
        icon = std::make_unique<DesktopNotifyIcon>(DesktopNotifyIcon::Backend{std::move(s), [this] { return sniHost; }},
                                                   DesktopNotifyIcon::Backend{std::move(x), [this] { return xembedHost; }});
    }

    QString shown() const
    {
        if (sni->isShown() && xembed->isShown())
            return QStringLiteral("both");
        return sni->isShown() ? QStringLiteral("sni") : xembed->isShown() ? QStringLiteral("xembed") : QStringLiteral("none");
    }
};

// A panel's StatusNotifier watcher: answers, counting the items that register, or keeps
// silent as a stopped panel does. (QtDBus calls a virtual object on its own thread.)
struct Watcher final : QDBusVirtualObject {
    bool host = true;
    bool silent = false;
    QAtomicInt items = 0;
    QMutex lock;
    QString lastItem;

    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& call, const QDBusConnection& bus) override
    {
        if (silent)
            return true;
        if (call.member() == QLatin1String("RegisterStatusNotifierItem")) {
            {
                QMutexLocker locked(&lock);
                lastItem = call.arguments().value(0).toString();
            }
            ++items;
            return bus.send(call.createReply());
        }
        return bus.send(call.createReply(QVariant::fromValue(QDBusVariant(host))));
    }
};

} // namespace

class TestDesktopTray : public QObject {
    Q_OBJECT
private slots:
    void followsHosts_data();
    void followsHosts();
    void requestsOnlyFromShownIcon();
    void hideTakesTheIconAway();
    void statusNotifierWatcher_data();
    void statusNotifierWatcher();
    void menuFloodOpensOneMenu();
    void activationTokenTaken();

private:
    void startWatcher(Watcher* watcher);

    PrivateBus m_bus;
};

void TestDesktopTray::startWatcher(Watcher* watcher)
{
    QDBusConnection panel = m_bus.connect(QStringLiteral("panel"));
    QVERIFY(panel.registerVirtualObject(QStringLiteral("/StatusNotifierWatcher"), watcher));
    QVERIFY(panel.registerService(QStringLiteral("org.kde.StatusNotifierWatcher")));
}

void TestDesktopTray::followsHosts_data()
{
    QTest::addColumn<bool>("sniBefore");
    QTest::addColumn<bool>("xembedBefore");
    QTest::addColumn<QString>("shownBefore");
    QTest::addColumn<bool>("sniAfter");
    QTest::addColumn<bool>("xembedAfter");
    QTest::addColumn<QString>("shownAfter");
    // What availabilityChanged told, in order.
    QTest::addColumn<QList<bool>>("told");
    QTest::newRow("StatusNotifier preferred") << true << true << "sni" << true << true << "sni" << QList<bool>{};
    QTest::newRow("XEmbed only") << false << true << "xembed" << false << true << "xembed" << QList<bool>{};
    QTest::newRow("StatusNotifier panel starts") << false << true << "xembed" << true << true << "sni"
                                                 << QList<bool>{};
    QTest::newRow("StatusNotifier panel quits") << true << true << "sni" << false << true << "xembed"
                                                << QList<bool>{};
    QTest::newRow("first tray appears") << false << false << "none" << true << false << "none"
                                        << QList<bool>{true};
    QTest::newRow("last tray goes") << false << true << "xembed" << false << false << "xembed"
                                    << QList<bool>{false};
    QTest::newRow("one tray for another") << true << false << "sni" << false << true << "xembed"
                                          << QList<bool>{};
}

void TestDesktopTray::followsHosts()
{
    QFETCH(bool, sniBefore);
    QFETCH(bool, xembedBefore);
    QFETCH(QString, shownBefore);
    QFETCH(bool, sniAfter);
    QFETCH(bool, xembedAfter);
    QFETCH(QString, shownAfter);
    QFETCH(QList<bool>, told);

    Desktop desktop(sniBefore, xembedBefore);
    QCOMPARE(desktop.icon->isAvailable(), sniBefore || xembedBefore);
    QSignalSpy changes(desktop.icon.get(), &DesktopNotifyIcon::availabilityChanged);
    desktop.icon->show(QIcon(), QStringLiteral("Tovrin 2.0"));
    QCOMPARE(desktop.shown(), shownBefore);
    QCOMPARE(desktop.icon->isShown(), shownBefore != QLatin1String("none"));

    desktop.sniHost = sniAfter;
    desktop.xembedHost = xembedAfter;
    desktop.icon->check();
    desktop.icon->check();
    QCOMPARE(desktop.shown(), shownAfter);
    QList<bool> seen;
    for (const QList<QVariant>& change : changes)
        seen.append(change.first().toBool());
    QCOMPARE(seen, told);
    // Moved with its first tip.
    if (shownAfter == QLatin1String("sni"))
        QCOMPARE(desktop.sni->tip(), QStringLiteral("Tovrin 2.0"));
    if (shownAfter == QLatin1String("xembed"))
        QCOMPARE(desktop.xembed->tip(), QStringLiteral("Tovrin 2.0"));
}

void TestDesktopTray::requestsOnlyFromShownIcon()
{
    Desktop desktop(false, true);
    desktop.icon->show(QIcon(), QStringLiteral("Tovrin"));
    QSignalSpy requests(desktop.icon.get(), &DesktopNotifyIcon::requested);
    desktop.sni->request(TrayRequest::Open);
    QCOMPARE(requests.size(), 0);
    desktop.xembed->request(TrayRequest::Menu);
    QCOMPARE(requests.size(), 1);
    QCOMPARE(requests.first().first().value<TrayRequest>(), TrayRequest::Menu);

    desktop.sniHost = true;
    desktop.icon->check();
    desktop.xembed->request(TrayRequest::Menu);
    desktop.sni->request(TrayRequest::Open);
    QCOMPARE(requests.size(), 2);
    QCOMPARE(requests.last().first().value<TrayRequest>(), TrayRequest::Open);
}

void TestDesktopTray::hideTakesTheIconAway()
{
    Desktop desktop(true, true);
    desktop.icon->show(QIcon(), QStringLiteral("Tovrin"));
    desktop.icon->hide();
    QCOMPARE(desktop.shown(), QStringLiteral("none"));
    QVERIFY(!desktop.icon->isShown());
    // Hosts that change afterwards bring nothing back.
    desktop.sniHost = false;
    desktop.icon->check();
    QCOMPARE(desktop.shown(), QStringLiteral("none"));
}

// What the program makes of the panel's watcher, without waiting long for it, and
// of a panel that quits and starts again while the icon shows.
void TestDesktopTray::statusNotifierWatcher_data()
{
    QTest::addColumn<bool>("watcher");
    QTest::addColumn<bool>("host");
    QTest::addColumn<bool>("silent");
    QTest::addColumn<bool>("available");
    QTest::addColumn<bool>("answers");
    QTest::newRow("no watcher") << false << false << false << false << true;
    QTest::newRow("watcher with a host") << true << true << false << true << true;
    QTest::newRow("watcher without a host") << true << false << false << false << true;
    QTest::newRow("stopped panel") << true << true << true << false << false;
}

void TestDesktopTray::statusNotifierWatcher()
{
    QFETCH(bool, watcher);
    QFETCH(bool, host);
    QFETCH(bool, silent);
    QFETCH(bool, available);
    QFETCH(bool, answers);
    QVERIFY2(m_bus.isRunning(), "dbus-daemon (Debian dbus-daemon) is needed");
    Watcher panel;
    panel.host = host;
    panel.silent = silent;
    if (watcher)
        startWatcher(&panel);
    QElapsedTimer clock;
    clock.start();
    StatusNotifierIcon icon(m_bus.connect(QStringLiteral("program")));
    QVERIFY(clock.elapsed() < 1000);
    icon.show(QIcon(), QStringLiteral("Tovrin"));
    QTRY_COMPARE(icon.isAvailable(), available);
    QTRY_COMPARE(icon.watcherAnswers(), answers);
    QTRY_COMPARE(panel.items.loadRelaxed(), watcher && !silent ? 1 : 0);
    // A panel gone leaves nobody to wait for; one that starts (again) knows no items.
    m_bus.disconnect(QStringLiteral("panel"));
    QTRY_VERIFY(icon.watcherAnswers());
    Watcher restarted;
    startWatcher(&restarted);
    QTRY_COMPARE(restarted.items.loadRelaxed(), 1);
    QTRY_VERIFY(icon.isAvailable());
    // A host that drops the item while it shows is told about it again.
    QDBusMessage dropped = QDBusMessage::createSignal(QStringLiteral("/StatusNotifierWatcher"),
                                                      QStringLiteral("org.kde.StatusNotifierWatcher"),
                                                      QStringLiteral("StatusNotifierItemUnregistered"));
    {
        QMutexLocker locked(&restarted.lock);
        dropped << restarted.lastItem;
    }
    QVERIFY(QDBusConnection(QStringLiteral("panel")).send(dropped));
    QTRY_COMPARE(restarted.items.loadRelaxed(), 2);
}

// A host asking for the menu thousands of times: the menus must not open one inside
// another (each runs its own loop), as the tray menu's owner opens them.
void TestDesktopTray::menuFloodOpensOneMenu()
{
    Watcher panel;
    startWatcher(&panel);
    QDBusConnection program = m_bus.connect(QStringLiteral("program"));
    StatusNotifierIcon icon(program);
    QMenu menu;
    menu.addAction(QStringLiteral("E&xit"));
    icon.setMenu(&menu);
    icon.show(QIcon(), QStringLiteral("Tovrin"));
    int depth = 0, deepest = 0;
    connect(&icon, &StatusNotifierIcon::requested, &menu, [&] {
        if (menu.isVisible()) {
            menu.close();
            return;
        }
        QScopedValueRollback<int> nested(depth, depth + 1);
        deepest = std::max(deepest, depth);
        QTimer::singleShot(200, &menu, &QMenu::close);
        menu.exec(QPoint(0, 0));
    }, Qt::QueuedConnection);
    QDBusMessage ask = QDBusMessage::createMethodCall(program.baseService(), QStringLiteral("/StatusNotifierItem"),
                                                      QStringLiteral("org.kde.StatusNotifierItem"), QStringLiteral("ContextMenu"));
    ask << 0 << 0;
    QDBusConnection host = m_bus.connect(QStringLiteral("host"));
    for (int i = 0; i < 2000; ++i)
        QVERIFY(host.send(ask));
    QTest::qWait(1500);
    QCOMPARE(deepest, 1);
}

// GNOME's extension hands a token over before an item acts; an error back would be
// logged by the shell at every click.
void TestDesktopTray::activationTokenTaken()
{
    QDBusConnection program = m_bus.connect(QStringLiteral("program"));
    StatusNotifierIcon icon(program);
    icon.show(QIcon(), QStringLiteral("Tovrin"));
    QDBusMessage give = QDBusMessage::createMethodCall(program.baseService(), QStringLiteral("/StatusNotifierItem"),
                                                       QStringLiteral("org.kde.StatusNotifierItem"),
                                                       QStringLiteral("ProvideXdgActivationToken"));
    give << QStringLiteral("token-1");
    QCOMPARE(m_bus.call(give).type(), QDBusMessage::ReplyMessage);
    QCOMPARE(qgetenv("XDG_ACTIVATION_TOKEN"), QByteArray("token-1"));
}

QTEST_MAIN(TestDesktopTray)
#include "tst_desktoptray.moc"
