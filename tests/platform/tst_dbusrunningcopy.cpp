// One running copy on a private session bus of the test's own: the first copy owns the
// name and answers the freedesktop Application interface; later starts hand over;
// malformed calls are refused and change nothing. (A burst of 1,000 calls on the real
// binary: tests/e2e/test_bus_actions.sh.)
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusVirtualObject>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QThread>
#include <QTimer>
#include <QtTest>

#include <memory>

#include "platform/unix/DBusRunningCopy.h"

using platform::DBusRunningCopy;
using Claim = platform::RunningCopy::Claim;

namespace {

const QString kId = QStringLiteral("com.ardelon.TovrinTest");
const QString kPath = QStringLiteral("/com/ardelon/TovrinTest");
const QString kInterface = QStringLiteral("org.freedesktop.Application");
const QStringList kActions{QStringLiteral("upper"), QStringLiteral("lower"), QStringLiteral("show")};

} // namespace

class tst_DBusRunningCopy : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void laterStartHandsOver_data();
    void laterStartHandsOver();
    void calls_data();
    void calls();
    void answersBeforeActing();
    void nameFreeAgainAfterTheCopyEnds();
    void ownerWithoutTheInterfaceIsNoAnswer();
    void copyEndingDuringHandOverIsClaimedAgain();
    void noBusMeansNoRule();
    void handOverBeforeStart_data();
    void handOverBeforeStart();

private:
    QDBusConnection connect(const QString& name);
    // claim() in a thread of its own, as a second process would: the running copy in
    // this thread must be free to answer.
    Claim claimElsewhere(const QString& action, QString* problem = nullptr, qint64* tookMs = nullptr);
    QDBusMessage callAndWait(const QDBusMessage& call);

    QProcess m_daemon;
    QString m_address;
    int m_connections = 0;
    std::unique_ptr<DBusRunningCopy> m_first;
};

void tst_DBusRunningCopy::initTestCase()
{
    m_daemon.start(QStringLiteral("dbus-daemon"), {"--session", "--nofork", "--print-address=1"});
    QVERIFY2(m_daemon.waitForStarted(5000), "dbus-daemon (Debian dbus-daemon) is needed");
    QVERIFY(m_daemon.waitForReadyRead(5000));
    m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
    QVERIFY(!m_address.isEmpty());
}

void tst_DBusRunningCopy::cleanupTestCase()
{
    m_daemon.terminate();
    m_daemon.waitForFinished(3000);
}

void tst_DBusRunningCopy::init()
{
    m_first = std::make_unique<DBusRunningCopy>(connect(QStringLiteral("first")), kId, kActions);
    QCOMPARE(m_first->claim(QString()), Claim::Claimed);
}

void tst_DBusRunningCopy::cleanup()
{
    m_first.reset();
}

QDBusConnection tst_DBusRunningCopy::connect(const QString& name)
{
    return QDBusConnection::connectToBus(m_address, QStringLiteral("%1-%2").arg(name).arg(++m_connections));
}

Claim tst_DBusRunningCopy::claimElsewhere(const QString& action, QString* problem, qint64* tookMs)
{
    Claim result = Claim::NoRule;
    const QDBusConnection bus = connect(QStringLiteral("later"));
    std::unique_ptr<QThread> thread(QThread::create([&] {
        DBusRunningCopy later(bus, kId, kActions);
        later.answerTimeoutMs = 3000;
        QElapsedTimer clock;
        clock.start();
        result = later.claim(action);
        if (tookMs)
            *tookMs = clock.elapsed();
        if (problem)
            *problem = later.problem();
    }));
    thread->start();
    while (!thread->isFinished())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return result;
}

QDBusMessage tst_DBusRunningCopy::callAndWait(const QDBusMessage& call)
{
    QDBusPendingCall pending = connect(QStringLiteral("caller")).asyncCall(call, 5000);
    QElapsedTimer clock;
    clock.start();
    while (!pending.isFinished() && clock.elapsed() < 6000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return pending.reply();
}

void tst_DBusRunningCopy::laterStartHandsOver_data()
{
    QTest::addColumn<QString>("action");
    QTest::newRow("plain start shows") << QString();
    QTest::newRow("upper") << "upper";
    QTest::newRow("lower") << "lower";
}

void tst_DBusRunningCopy::laterStartHandsOver()
{
    QFETCH(QString, action);
    QSignalSpy requested(m_first.get(), &platform::RunningCopy::requested);
    QCOMPARE(claimElsewhere(action), Claim::HandedOver);
    QTRY_COMPARE(requested.size(), 1);
    QCOMPARE(requested.at(0).at(0).toString(), action);
    QCOMPARE(m_first->objectPath(), kPath);
}

void tst_DBusRunningCopy::calls_data()
{
    QTest::addColumn<QString>("method");
    QTest::addColumn<QVariantList>("arguments");
    QTest::addColumn<QString>("error");   // empty: answered
    QTest::addColumn<QStringList>("runs"); // what reaches the program

    const QVariant noData = QVariantMap();
    const QVariant noParameter = QVariant::fromValue(QVariantList());
    QTest::newRow("Activate") << "Activate" << QVariantList{noData} << QString() << QStringList{QString()};
    QTest::newRow("Activate with platform data")
        << "Activate" << QVariantList{QVariantMap{{"desktop-startup-id", "x"}}} << QString() << QStringList{QString()};
    QTest::newRow("ActivateAction upper") << "ActivateAction" << QVariantList{"upper", noParameter, noData} << QString()
                                          << QStringList{"upper"};
    QTest::newRow("ActivateAction show") << "ActivateAction" << QVariantList{"show", noParameter, noData} << QString()
                                         << QStringList{"show"};
    QTest::newRow("unknown action") << "ActivateAction" << QVariantList{"format-disk", noParameter, noData}
                                    << "org.freedesktop.DBus.Error.InvalidArgs" << QStringList();
    QTest::newRow("empty action name") << "ActivateAction" << QVariantList{"", noParameter, noData}
                                       << "org.freedesktop.DBus.Error.InvalidArgs" << QStringList();
    QTest::newRow("action with a parameter")
        << "ActivateAction" << QVariantList{"upper", QVariant::fromValue(QVariantList{QVariant(1)}), noData}
        << "org.freedesktop.DBus.Error.InvalidArgs" << QStringList();
    QTest::newRow("action name not a string") << "ActivateAction" << QVariantList{42, noParameter, noData}
                                              << "org.freedesktop.DBus.Error.UnknownMethod" << QStringList();
    QTest::newRow("missing arguments") << "ActivateAction" << QVariantList{"upper"}
                                       << "org.freedesktop.DBus.Error.UnknownMethod" << QStringList();
    QTest::newRow("Activate without data") << "Activate" << QVariantList{}
                                           << "org.freedesktop.DBus.Error.UnknownMethod" << QStringList();
    QTest::newRow("Open") << "Open" << QVariantList{QStringList{"file:///etc/passwd"}, noData}
                          << "org.freedesktop.DBus.Error.NotSupported" << QStringList();
    QTest::newRow("no such method") << "Quit" << QVariantList{} << "org.freedesktop.DBus.Error.UnknownMethod"
                                    << QStringList();
}

void tst_DBusRunningCopy::calls()
{
    QFETCH(QString, method);
    QFETCH(QVariantList, arguments);
    QFETCH(QString, error);
    QFETCH(QStringList, runs);

    QSignalSpy requested(m_first.get(), &platform::RunningCopy::requested);
    QDBusMessage call = QDBusMessage::createMethodCall(kId, kPath, kInterface, method);
    call.setArguments(arguments);
    const QDBusMessage reply = callAndWait(call);
    if (error.isEmpty())
        QCOMPARE(reply.type(), QDBusMessage::ReplyMessage);
    else
        QCOMPARE(reply.errorName(), error);
    // Anything queued by the call has had its turn by now.
    QTest::qWait(100);
    QStringList got;
    for (const QList<QVariant>& signal : requested)
        got << signal.at(0).toString();
    QCOMPARE(got, runs);
}

// A conversion of rAnDOm runs nested event loops for a long time; the asker must not
// wait for it.
void tst_DBusRunningCopy::answersBeforeActing()
{
    bool acting = false;
    QObject::connect(m_first.get(), &platform::RunningCopy::requested, this, [&acting] {
        acting = true;
        QEventLoop loop;
        QTimer::singleShot(4000, &loop, &QEventLoop::quit);
        loop.exec();
        acting = false;
    });
    qint64 took = -1;
    QCOMPARE(claimElsewhere(QStringLiteral("upper"), nullptr, &took), Claim::HandedOver); // waits 3 s at most
    QVERIFY2(took >= 0 && took < 2000, qPrintable(QString::number(took)));
    QTRY_VERIFY(!acting);
}

void tst_DBusRunningCopy::nameFreeAgainAfterTheCopyEnds()
{
    m_first.reset();
    DBusRunningCopy next(connect(QStringLiteral("next")), kId, kActions);
    QCOMPARE(next.claim(QStringLiteral("upper")), Claim::Claimed);
}

void tst_DBusRunningCopy::ownerWithoutTheInterfaceIsNoAnswer()
{
    m_first.reset();
    QDBusConnection squatter = connect(QStringLiteral("squatter"));
    QVERIFY(squatter.registerService(kId));
    QString problem;
    qint64 took = -1;
    QCOMPARE(claimElsewhere(QStringLiteral("upper"), &problem, &took), Claim::NoAnswer);
    QVERIFY2(took < 2000, "an owner that refuses at once is not waited for");
    QVERIFY(!problem.isEmpty());
    squatter.unregisterService(kId);
}

namespace {
// A running copy that ends while it holds the later start's call, before answering it.
class EndsWhenCalled final : public QDBusVirtualObject {
public:
    explicit EndsWhenCalled(QString connection) : m_connection(std::move(connection)) {}
    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage&, const QDBusConnection&) override
    {
        QMetaObject::invokeMethod(
            this, [name = m_connection] { QDBusConnection::disconnectFromBus(name); }, Qt::QueuedConnection);
        return true;
    }

private:
    QString m_connection;
};
} // namespace

void tst_DBusRunningCopy::copyEndingDuringHandOverIsClaimedAgain()
{
    m_first.reset();
    // No handle kept here: the connection closes once the object lets it go.
    const QString ending = connect(QStringLiteral("ending")).name();
    EndsWhenCalled object(ending);
    QVERIFY(QDBusConnection(ending).registerVirtualObject(kPath, &object));
    QVERIFY(QDBusConnection(ending).registerService(kId));
    QString problem;
    const Claim got = claimElsewhere(QStringLiteral("upper"), &problem);
    QVERIFY2(got == Claim::Claimed, qPrintable(problem));
}

void tst_DBusRunningCopy::noBusMeansNoRule()
{
    DBusRunningCopy lonely(QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"),
                                                         QStringLiteral("nowhere")),
                           kId, kActions);
    QCOMPARE(lonely.claim(QString()), Claim::NoRule);
    QVERIFY(!lonely.problem().isEmpty());
}

// The same request, asked through the bus library before any Qt application exists;
// a call the running copy's interface refused would come back false.
void tst_DBusRunningCopy::handOverBeforeStart_data()
{
    QTest::addColumn<QString>("appId");
    QTest::addColumn<QString>("action");
    QTest::addColumn<QByteArray>("startupId");
    QTest::addColumn<bool>("handedOver");
    QTest::newRow("upper") << kId << "upper" << QByteArray() << true;
    QTest::newRow("lower, with a start-up id") << kId << "lower" << QByteArray("tovrin-1_TIME42") << true;
    QTest::newRow("start-up id not UTF-8") << kId << "upper" << QByteArray("id\xff\xfe") << true;
    QTest::newRow("plain start") << kId << QString() << QByteArray("x") << true;
    QTest::newRow("nobody runs") << "com.ardelon.TovrinNobody" << "upper" << QByteArray() << false;
}

void tst_DBusRunningCopy::handOverBeforeStart()
{
    QFETCH(QString, appId);
    QFETCH(QString, action);
    QFETCH(QByteArray, startupId);
    QFETCH(bool, handedOver);
    const QByteArray address = qgetenv("DBUS_SESSION_BUS_ADDRESS");
    qputenv("DBUS_SESSION_BUS_ADDRESS", m_address.toUtf8());
    qputenv("DESKTOP_STARTUP_ID", startupId);
    QSignalSpy requested(m_first.get(), &platform::RunningCopy::requested);
    bool result = !handedOver;
    std::unique_ptr<QThread> thread(QThread::create([&] { result = platform::handOverBeforeStart(appId.toStdString(), action.toStdString()); }));
    thread->start();
    while (!thread->isFinished())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    qputenv("DBUS_SESSION_BUS_ADDRESS", address);
    qunsetenv("DESKTOP_STARTUP_ID");
    QCOMPARE(result, handedOver);
    if (handedOver) {
        QTRY_COMPARE(requested.size(), 1);
        QCOMPARE(requested.at(0).at(0).toString(), action);
    } else {
        QTest::qWait(100);
        QCOMPARE(requested.size(), 0);
    }
}

QTEST_GUILESS_MAIN(tst_DBusRunningCopy)
#include "tst_dbusrunningcopy.moc"
