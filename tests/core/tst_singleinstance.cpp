#include <QtTest>

#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QTemporaryDir>

#include <chrono>
#include <future>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include "core/SingleInstance.h"

using namespace std::chrono_literals;
using Outcome = SingleInstance::Outcome;

namespace {

// A later start runs in its own thread: its calls block, and the running copy needs
// this thread's event loop to answer.
std::future<Outcome> startSecond(const QString& path, int timeoutMs = 3000)
{
    return std::async(std::launch::async, [path, timeoutMs] {
        SingleInstance second(path);
        const Outcome outcome = second.start(timeoutMs);
        if (second.isListening())
            return Outcome(-1);
        return outcome;
    });
}

bool ready(const std::future<Outcome>& f)
{
    return f.wait_for(0ms) == std::future_status::ready;
}

// What a copy killed while running leaves behind: a socket file nobody listens on.
void leaveStaleSocket(const QString& path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    QVERIFY(fd >= 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const QByteArray native = QFile::encodeName(path);
    QVERIFY(size_t(native.size()) < sizeof addr.sun_path);
    memcpy(addr.sun_path, native.constData(), size_t(native.size()));
    QCOMPARE(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ::close(fd);
    QVERIFY(QFileInfo::exists(path));
}

} // namespace

class tst_SingleInstance : public QObject {
    Q_OBJECT
private slots:
    void init();
    void secondStartIsForwarded();
    void everyLaterStartIsForwarded();
    void startDuringFirstStartWaitsForIt();
    void staleSocketIsTakenOver();
    void socketIsPrivate();
    void nextStartAfterOrderlyEndRuns();
    void silentOwnerIsNoAnswer();
    void foreignRequestIsIgnored_data();
    void foreignRequestIsIgnored();
    void defaultPathIsInRuntimeFolder();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
};

void tst_SingleInstance::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_path = m_dir->filePath(QStringLiteral("app.socket"));
}

void tst_SingleInstance::secondStartIsForwarded()
{
    SingleInstance first(m_path);
    QSignalSpy shown(&first, &SingleInstance::showRequested);
    QCOMPARE(first.start(), Outcome::First);
    QVERIFY(first.isListening());

    auto second = startSecond(m_path);
    QTRY_VERIFY(ready(second));
    QCOMPARE(second.get(), Outcome::Forwarded);
    QCOMPARE(shown.count(), 1);
    QVERIFY(first.isListening());
}

void tst_SingleInstance::everyLaterStartIsForwarded()
{
    SingleInstance first(m_path);
    QSignalSpy shown(&first, &SingleInstance::showRequested);
    QCOMPARE(first.start(), Outcome::First);
    for (int i = 1; i <= 3; ++i) {
        auto later = startSecond(m_path);
        QTRY_VERIFY(ready(later));
        QCOMPARE(later.get(), Outcome::Forwarded);
        QCOMPARE(shown.count(), i);
    }
}

void tst_SingleInstance::startDuringFirstStartWaitsForIt()
{
    SingleInstance first(m_path);
    QSignalSpy shown(&first, &SingleInstance::showRequested);
    QCOMPARE(first.check(), Outcome::First);
    QVERIFY(!first.isListening());

    // Between the two steps a later start neither runs as a second copy nor gives up.
    auto later = startSecond(m_path);
    QTest::qWait(300);
    QVERIFY(!ready(later));

    first.listen();
    QVERIFY(first.isListening());
    QTRY_VERIFY(ready(later));
    QCOMPARE(later.get(), Outcome::Forwarded);
    QCOMPARE(shown.count(), 1);
}

void tst_SingleInstance::staleSocketIsTakenOver()
{
    leaveStaleSocket(m_path);
    // Nor must the lock of a copy killed in the middle of its start.
    const pid_t child = ::fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        QLockFile held(m_path + QStringLiteral(".lock"));
        ::_exit(held.tryLock(0) ? 0 : 1);
    }
    int childStatus = -1;
    QCOMPARE(::waitpid(child, &childStatus, 0), child);
    QCOMPARE(childStatus, 0);
    QVERIFY(QFileInfo::exists(m_path + QStringLiteral(".lock")));

    QElapsedTimer timer;
    timer.start();
    SingleInstance first(m_path);
    QCOMPARE(first.start(), Outcome::First);
    QVERIFY(first.isListening());
    QVERIFY2(timer.elapsed() < 2000, "a stale socket delays the start");

    QSignalSpy shown(&first, &SingleInstance::showRequested);
    auto second = startSecond(m_path);
    QTRY_VERIFY(ready(second));
    QCOMPARE(second.get(), Outcome::Forwarded);
    QCOMPARE(shown.count(), 1);
}

void tst_SingleInstance::socketIsPrivate()
{
    SingleInstance first(m_path);
    QCOMPARE(first.start(), Outcome::First);
    struct stat st {};
    QCOMPARE(::stat(QFile::encodeName(m_path).constData(), &st), 0);
    QVERIFY(S_ISSOCK(st.st_mode));
    QCOMPARE(st.st_mode & (S_IRWXG | S_IRWXO), mode_t(0));
}

void tst_SingleInstance::nextStartAfterOrderlyEndRuns()
{
    {
        SingleInstance first(m_path);
        QCOMPARE(first.start(), Outcome::First);
    }
    QVERIFY(!QFileInfo::exists(m_path));
    SingleInstance next(m_path);
    QCOMPARE(next.start(), Outcome::First);
    QVERIFY(next.isListening());
}

void tst_SingleInstance::silentOwnerIsNoAnswer()
{
    // Accepts connections but never answers, like a copy that hangs.
    QLocalServer hung;
    QVERIFY(hung.listen(m_path));
    QElapsedTimer timer;
    timer.start();
    SingleInstance second(m_path);
    QCOMPARE(second.start(300), Outcome::NoAnswer);
    QVERIFY(!second.isListening());
    QVERIFY(timer.elapsed() < 2000);
    QVERIFY(hung.isListening());
}

void tst_SingleInstance::foreignRequestIsIgnored_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::newRow("other word") << QByteArray("quit\n");
    QTest::newRow("no line end yet, too long") << QByteArray(200, 'x');
    QTest::newRow("show with more") << QByteArray("show please\n");
}

void tst_SingleInstance::foreignRequestIsIgnored()
{
    QFETCH(QByteArray, request);
    SingleInstance first(m_path);
    QSignalSpy shown(&first, &SingleInstance::showRequested);
    QCOMPARE(first.start(), Outcome::First);

    QLocalSocket client;
    client.connectToServer(m_path);
    QVERIFY(client.waitForConnected(1000));
    client.write(request);
    client.flush();
    QTRY_COMPARE(client.state(), QLocalSocket::UnconnectedState);
    QCOMPARE(client.bytesAvailable(), qint64(0));
    QCOMPARE(shown.count(), 0);
    QVERIFY(first.isListening());
}

void tst_SingleInstance::defaultPathIsInRuntimeFolder()
{
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_dir->path()));
    QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(SingleInstance::defaultSocketPath(QStringLiteral("x.y.Z")), m_dir->filePath(QStringLiteral("x.y.Z.socket")));
}

QTEST_GUILESS_MAIN(tst_SingleInstance)
#include "tst_singleinstance.moc"
