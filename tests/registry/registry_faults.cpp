// Faults the settings store survives, seen through the Options dialog and the real
// file-backed registry: a folder that cannot be written, damaged and huge files, a
// file that cannot be opened or read, something other than a file at its path, two to
// four programs writing at once (through links, with the lock file deleted under
// them), a lock held by a stopped copy, and writers killed in the middle of a write.

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <thread>
#include <unistd.h>

#include "ui/windows/WindowHolder.h"
#include "core/SettingValues.h"
#include "platform/Services.h"
#include "platform/unix/EmulatedRegistry.h"
#include "platform/unix/RegFile.h"
#include "support/TestApp.h"
#include "support/TestFiles.h"
#include "ui/dialogs/OptionsDialog.h"

using namespace platform;

namespace {

const QByteArray kHeader = "Windows Registry Editor Version 5.00\n";
const QByteArray kKey = "[HKEY_CURRENT_USER\\Software\\Ardelon\\Tovrin]\n";

std::optional<QString> storedText(const QString& file, const char* name)
{
    const std::optional<RegHive> h = regfile::parse(readAll(file).toStdString());
    if (!h)
        return std::nullopt;
    const RegKey* k = hive::findKey(*h, "Software\\Ardelon\\Tovrin");
    const RegValue* v = k ? hive::findValue(*k, name) : nullptr;
    if (!v || v->type != kRegSz || v->data.empty() || v->data.back() != 0)
        return std::nullopt;
    return QString::fromUtf8(reinterpret_cast<const char*>(v->data.data()), static_cast<qsizetype>(v->data.size() - 1));
}

struct Shown {
    bool splash;
    bool tray;
    bool copy;
};

Shown shownSettings(TestApp& app)
{
    OptionsDialog& f = app.windows().get<OptionsDialog>();
    return {f.showSplashCheck->isChecked(), f.placeInTrayCheck->isChecked(), f.copyOption->isChecked()};
}

const QByteArray kStored = kHeader + kKey + "\"SplashScreen\"=\"0\"\n\"PlaceInTray\"=\"1\"\n\"Copy2Clip\"=\"True\"\n";

struct Run {
    bool finished = false; // on its own, within the time given
    int exitCode = -1;
    QByteArray output;
};

// Runs the helper to its end, or kills it when it takes longer than `ms`.
Run runWriter(const QStringList& args, int ms = 10000, const QStringList& env = {})
{
    QProcess p;
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    for (const QString& pair : env)
        e.insert(pair.section('=', 0, 0), pair.section('=', 1));
    p.setProcessEnvironment(e);
    p.start(QStringLiteral(TOVRIN_REG_WRITER), args);
    Run run;
    if (!p.waitForStarted())
        return run;
    run.finished = p.waitForFinished(ms) && p.exitStatus() == QProcess::NormalExit;
    if (p.state() != QProcess::NotRunning) {
        p.kill();
        p.waitForFinished();
    }
    run.exitCode = p.exitCode();
    run.output = p.readAllStandardOutput().trimmed();
    return run;
}

// A file's kind and identity as lstat sees it, and where it points when it is a link.
QString describePath(const QString& path)
{
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return QStringLiteral("missing");
    QString out = QStringLiteral("mode %1 ino %2 rdev %3 size %4")
                      .arg(st.st_mode, 0, 8)
                      .arg(st.st_ino)
                      .arg(st.st_rdev)
                      .arg(S_ISREG(st.st_mode) ? st.st_size : 0);
    if (S_ISLNK(st.st_mode))
        out += " -> " + QFile::symLinkTarget(path);
    return out;
}

} // namespace

class TestRegistryFaults final : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void unwritableFolder_data();
    void unwritableFolder();
    void lockHeldByAStoppedCopy();
    void damagedFile_data();
    void damagedFile();
    void twoWritersLoseNothing();
    void killedWriterLeavesAWholeFile();

    void unreadableFileIsLeftAlone_data();
    void unreadableFileIsLeftAlone();
    void onlyAFileIsEverReplaced_data();
    void onlyAFileIsEverReplaced();
    void stoppedLockHolder_data();
    void stoppedLockHolder();
    void fourWritersLoseNothing_data();
    void fourWritersLoseNothing();
    void killsDuringAGroupedChange();

private:
    // The program's own registry over a file in a fresh folder.
    void useFile(const QString& file);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TestApp> m_app;
    // The system's /dev/null is only put at stake once a private device came through.
    bool m_privateDeviceKept = false;
};

void TestRegistryFaults::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_app = std::make_unique<TestApp>();
}

void TestRegistryFaults::cleanup()
{
    m_app.reset();
    m_dir.reset();
}

void TestRegistryFaults::useFile(const QString& file)
{
    m_app->services().registry = std::make_shared<EmulatedRegistry>(file.toStdString());
}

void TestRegistryFaults::unwritableFolder_data()
{
    QTest::addColumn<QString>("blocker");
    // Root ignores permission bits, so the folder is made unusable in ways that stop root too.
    QTest::newRow("config folder is a file") << QStringLiteral("config");
    QTest::newRow("program folder is a file") << QStringLiteral("config/Ardelon");
    QTest::newRow("lock is a folder") << QStringLiteral("config/Ardelon/Tovrin.reg.lock/");
}

void TestRegistryFaults::unwritableFolder()
{
    QFETCH(QString, blocker);
    const QString file = m_dir->filePath("config/Ardelon/Tovrin.reg");
    if (blocker.endsWith('/')) {
        // Settings are stored, then writing becomes impossible.
        writeFile(file, kHeader + kKey + "\"SplashScreen\"=\"0\"\n\"PlaceInTray\"=\"1\"\n\"Copy2Clip\"=\"True\"\n");
        QVERIFY(QDir().mkpath(m_dir->filePath(blocker)));
    } else {
        writeFile(m_dir->filePath(blocker), "in the way");
    }
    const QByteArray before = readAll(file);
    useFile(file);

    const Shown stored = shownSettings(*m_app);
    m_app->windows().get<OptionsDialog>().showModeless();
    OptionsDialog& f = m_app->windows().get<OptionsDialog>();
    f.showSplashCheck->setChecked(!stored.splash);
    f.placeInTrayCheck->setChecked(!stored.tray);
    QTest::mouseClick(stored.copy ? f.openOption : f.copyOption, Qt::LeftButton);
    QTest::mouseClick(f.okButton, Qt::LeftButton);

    QVERIFY(!m_app->windows().isLoaded<OptionsDialog>());
    QApplication::processEvents();
    for (QWidget* w : QApplication::topLevelWidgets())
        QVERIFY2(!w->isVisible(), qPrintable(w->objectName())); // nothing reported in a window
    QCOMPARE(readAll(file), before);
    // Not stored, but chosen: the choice holds for the rest of the run, and a beep says so.
    QCOMPARE(m_app->fakes.beeper->beeps, 1);
    const Shown again = shownSettings(*m_app);
    QCOMPARE(again.splash, !stored.splash);
    QCOMPARE(again.tray, !stored.tray);
    QCOMPARE(again.copy, !stored.copy);
}

void TestRegistryFaults::lockHeldByAStoppedCopy()
{
    // Another copy holds the writers' lock and never lets go: the write gives up after
    // a bounded wait, the stored values stay, and a later write goes through.
    const QString file = m_dir->filePath("config/Ardelon/Tovrin.reg");
    writeFile(file, kHeader + kKey + "\"SplashScreen\"=\"0\"\n");
    useFile(file);
    const int held = ::open(QFile::encodeName(file + ".lock").constData(), O_RDWR | O_CREAT, 0600);
    QVERIFY(held >= 0);
    QCOMPARE(::flock(held, LOCK_EX), 0);

    QElapsedTimer clock;
    clock.start();
    writeSettingValue(m_app->services().registry.get(), kSettingsRoot, QString::fromLatin1(kSettingsPath), QStringLiteral("SplashScreen"), QStringLiteral("1"));
    QVERIFY2(clock.elapsed() < 10000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(storedText(file, "SplashScreen"), std::optional<QString>(QStringLiteral("0")));

    ::close(held);
    writeSettingValue(m_app->services().registry.get(), kSettingsRoot, QString::fromLatin1(kSettingsPath), QStringLiteral("SplashScreen"), QStringLiteral("1"));
    QCOMPARE(storedText(file, "SplashScreen"), std::optional<QString>(QStringLiteral("1")));
}

void TestRegistryFaults::damagedFile_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<qint64>("sparseSize"); // extend to this size with zeros when > 0

    QTest::newRow("garbage") << QByteArray("SplashScreen=1\nPlaceInTray=1\n") << qint64(0);
    QTest::newRow("binary") << QByteArray::fromHex("7f454c460201010000000000000000000300") << qint64(0);
    QTest::newRow("truncated line") << kHeader + kKey + "\"SplashScreen\"=\"1\"\n\"PlaceInTray\"=\"1" << qint64(0);
    QTest::newRow("100 MiB") << kHeader + kKey + "\"SplashScreen\"=\"1\"\n" << qint64(100) * 1024 * 1024;
}

void TestRegistryFaults::damagedFile()
{
    QFETCH(QByteArray, content);
    QFETCH(qint64, sparseSize);
    const QString file = m_dir->filePath("config/Ardelon/Tovrin.reg");
    writeFile(file, content);
    if (sparseSize > 0)
        QVERIFY(QFile::resize(file, sparseSize));
    useFile(file);

    QElapsedTimer clock;
    clock.start();
    const Shown shown = shownSettings(*m_app);
    const qint64 loadMs = clock.elapsed();
    qInfo("loading the dialog took %lld ms", loadMs);
    QVERIFY2(loadMs < 1000, qPrintable(QString::number(loadMs)));
    QVERIFY(!shown.splash && !shown.tray && !shown.copy);
    QVERIFY(m_app->windows().get<OptionsDialog>().openOption->isChecked());
    QCOMPARE(QFileInfo(file).size(), sparseSize > 0 ? sparseSize : content.size());

    OptionsDialog& f = m_app->windows().get<OptionsDialog>();
    f.showModeless();
    f.showSplashCheck->setChecked(true);
    QTest::mouseClick(f.copyOption, Qt::LeftButton);
    QTest::mouseClick(f.okButton, Qt::LeftButton);

    const QStringList aside = QDir(m_dir->filePath("config/Ardelon")).entryList({"Tovrin.reg.damaged-*"}, QDir::Files);
    QCOMPARE(aside.size(), 1);
    const QString kept = m_dir->filePath("config/Ardelon/" + aside.first());
    QCOMPARE(QFileInfo(kept).size(), sparseSize > 0 ? sparseSize : content.size());
    QVERIFY(readAll(kept).startsWith(content));
    QCOMPARE(storedText(file, "SplashScreen"), std::optional<QString>(QStringLiteral("1")));
    QCOMPARE(storedText(file, "PlaceInTray"), std::optional<QString>(QStringLiteral("0")));
    QCOMPARE(storedText(file, "Copy2Clip"), std::optional<QString>(QStringLiteral("True")));
    const Shown after = shownSettings(*m_app);
    QVERIFY(after.splash && !after.tray && after.copy);
}

void TestRegistryFaults::twoWritersLoseNothing()
{
    const QString file = m_dir->filePath("Ardelon/Tovrin.reg");
    QProcess a, b;
    QElapsedTimer clock;
    clock.start();
    a.start(QStringLiteral(TOVRIN_REG_WRITER), {file, "SplashScreen", "500"});
    b.start(QStringLiteral(TOVRIN_REG_WRITER), {file, "PlaceInTray", "500"});
    QVERIFY(a.waitForFinished(60000));
    QVERIFY(b.waitForFinished(60000));
    qInfo("2 x 500 writes took %lld ms", clock.elapsed());
    QVERIFY2(a.exitStatus() == QProcess::NormalExit && a.exitCode() == 0, a.readAllStandardError().constData());
    QVERIFY2(b.exitStatus() == QProcess::NormalExit && b.exitCode() == 0, b.readAllStandardError().constData());
    QCOMPARE(storedText(file, "SplashScreen"), std::optional<QString>(QStringLiteral("500")));
    QCOMPARE(storedText(file, "PlaceInTray"), std::optional<QString>(QStringLiteral("500")));
    QCOMPARE(QDir(m_dir->filePath("Ardelon")).entryList(QDir::Files), (QStringList{"Tovrin.reg", "Tovrin.reg.lock"}));
}

void TestRegistryFaults::killedWriterLeavesAWholeFile()
{
    const QString file = m_dir->filePath("Ardelon/Tovrin.reg");
    const int payload = 100000; // big enough that a kill often lands inside a write
    auto payloadOk = [&](const QString& text, long* n) {
        const qsizetype colon = text.indexOf(':');
        bool ok = false;
        *n = text.left(colon).toLong(&ok);
        if (!ok || colon < 0 || text.size() - colon - 1 != payload)
            return false;
        const QChar fill(char16_t('a' + *n % 26));
        return text.mid(colon + 1) == QString(payload, fill);
    };

    long last = 0;
    int kills = 0;
    int midWrite = 0; // kills that left a half-written temporary file behind
    QElapsedTimer clock;
    clock.start();
    while (kills < 150 && clock.elapsed() < 40000) {
        QProcess writer;
        writer.start(QStringLiteral(TOVRIN_REG_WRITER), {file, "Copy2Clip", "forever", QString::number(payload)});
        QVERIFY(writer.waitForStarted());
        // Wait until it has started a write, then a random moment more.
        QVERIFY(writer.waitForReadyRead(10000));
        QTest::qSleep(QRandomGenerator::global()->bounded(25));
        ::kill(static_cast<pid_t>(writer.processId()), SIGKILL);
        QVERIFY(writer.waitForFinished(10000));
        QCOMPARE(writer.exitStatus(), QProcess::CrashExit);
        ++kills;
        midWrite += QDir(m_dir->filePath("Ardelon")).entryList({"Tovrin.reg.tmp-*"}, QDir::Files).isEmpty() ? 0 : 1;

        if (!QFile::exists(file))
            continue; // killed before its first write landed
        const QByteArray content = readAll(file);
        QVERIFY2(!content.isEmpty(), "the file was left empty");
        QVERIFY2(regfile::parse(content.toStdString()), "the file was left damaged");
        const std::optional<QString> text = storedText(file, "Copy2Clip");
        if (!text) {
            // Killed after the first writer created the key, before its value landed.
            QVERIFY2(last == 0, "a value that was there is gone");
            continue;
        }
        long n = 0;
        QVERIFY2(payloadOk(*text, &n), "the value is not one the writer wrote");
        QVERIFY2(n >= last, "an older value came back");
        last = n;
    }
    qInfo("%d writers killed, %d of them inside a write, %ld writes landed, %lld ms", kills, midWrite, last,
          clock.elapsed());
    QVERIFY(kills >= 50);
    QVERIFY(midWrite > 0);
    QVERIFY(last > 0);
    // A kill may leave one half-written temporary file; the next write clears it away.
    RegHandle key = 0;
    EmulatedRegistry reg(file.toStdString());
    QCOMPARE(reg.RegCreateKeyA(kHkeyCurrentUser, "Software\\Ardelon\\Tovrin", &key), kErrorSuccess);
    QCOMPARE(reg.RegSetValueExA(key, "SplashScreen", 0, kRegSz, reinterpret_cast<const std::uint8_t*>("1"), 2),
             kErrorSuccess);
    reg.RegCloseKey(key);
    QCOMPARE(QDir(m_dir->filePath("Ardelon")).entryList(QDir::Files), (QStringList{"Tovrin.reg", "Tovrin.reg.lock"}));
}

void TestRegistryFaults::unreadableFileIsLeftAlone_data()
{
    QTest::addColumn<int>("spareFds"); // descriptors the helper may still open; -1 for no limit
    QTest::addColumn<QStringList>("faults"); // for the preloaded fault library
    QTest::addColumn<bool>("alwaysFails");

    // Each limit lets the helper get one step further into a write before it runs out.
    for (int spare = 0; spare <= 5; ++spare)
        QTest::addRow("too many open files, %d to spare", spare) << spare << QStringList() << (spare == 0);
    QTest::newRow("out of memory opening it")
        << -1 << QStringList{QStringLiteral("TOVRIN_FAULT_OPEN=%1").arg(ENOMEM)} << true;
    QTest::newRow("I/O error opening it") << -1 << QStringList{QStringLiteral("TOVRIN_FAULT_OPEN=%1").arg(EIO)} << true;
    QTest::newRow("I/O error reading it") << -1 << QStringList{QStringLiteral("TOVRIN_FAULT_READ=%1").arg(EIO)} << true;
}

void TestRegistryFaults::unreadableFileIsLeftAlone()
{
    // A good file that cannot be opened or read just now reads as absent values; a
    // write fails rather than replace it without knowing what it holds, and it is
    // never taken for a damaged file.
    QFETCH(int, spareFds);
    QFETCH(QStringList, faults);
    QFETCH(bool, alwaysFails);
    const QString file = m_dir->filePath("Ardelon/Tovrin.reg");
    writeFile(file, kStored);
    QStringList env;
    if (!faults.isEmpty())
        env = faults + QStringList{QStringLiteral("LD_PRELOAD=" TOVRIN_FAULT_SHIM), "TOVRIN_FAULT_PATH=" + file};
    QStringList limit;
    if (spareFds >= 0)
        limit = QStringList{"--spare-fds", QString::number(spareFds)};

    const Run get = runWriter(limit + QStringList{file, "get", "PlaceInTray"}, 10000, env);
    QVERIFY(get.finished);
    QCOMPARE(get.exitCode, 0);
    if (alwaysFails)
        QCOMPARE(get.output, QByteArray("PlaceInTray absent"));
    else
        QVERIFY2(get.output == "PlaceInTray=1" || get.output == "PlaceInTray absent", get.output.constData());

    const Run set = runWriter(limit + QStringList{file, "set", "SplashScreen", "1"}, 10000, env);
    QVERIFY(set.finished);
    if (set.exitCode == 0) {
        QVERIFY2(!alwaysFails, "stored although the file could not be read");
        QCOMPARE(storedText(file, "SplashScreen"), std::optional<QString>(QStringLiteral("1")));
        QCOMPARE(storedText(file, "PlaceInTray"), std::optional<QString>(QStringLiteral("1")));
        QCOMPARE(storedText(file, "Copy2Clip"), std::optional<QString>(QStringLiteral("True")));
    } else {
        QVERIFY2(set.exitCode == 3, set.output.constData()); // failed with a status, no crash
        QCOMPARE(readAll(file), kStored);
    }
    const QStringList entries = QDir(m_dir->filePath("Ardelon")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    QVERIFY2(entries == QStringList{"Tovrin.reg"} || entries == (QStringList{"Tovrin.reg", "Tovrin.reg.lock"}),
             qPrintable(entries.join(' ')));
}

void TestRegistryFaults::onlyAFileIsEverReplaced_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("folder") << "folder";
    QTest::newRow("pipe") << "pipe";
    QTest::newRow("link to a pipe") << "link to a pipe";
    QTest::newRow("device") << "device";
    QTest::newRow("link to a device") << "link to a device";
    QTest::newRow("link to /dev/null") << "link to /dev/null";
}

void TestRegistryFaults::onlyAFileIsEverReplaced()
{
    // Whatever sits at the settings path, reading never waits on it and writing never
    // renames, replaces or puts anything beside it: the write fails instead.
    QFETCH(QString, kind);
    const QString file = m_dir->filePath("Ardelon/Tovrin.reg");
    QVERIFY(QDir().mkpath(m_dir->filePath("Ardelon")));
    QVERIFY(QDir().mkpath(m_dir->filePath("elsewhere")));
    QString target = file;
    if (kind.startsWith("link to")) {
        target = kind == "link to /dev/null" ? QStringLiteral("/dev/null") : m_dir->filePath("elsewhere/thing");
        QVERIFY(QFile::link(target, file));
    }
    auto made = [&](int result) {
        if (result != 0 && errno == EPERM)
            QSKIP("devices cannot be made here");
        QCOMPARE(result, 0);
    };
    const QByteArray where = QFile::encodeName(target);
    if (kind == "folder") {
        QVERIFY(QDir().mkpath(target));
        writeFile(target + "/inside", "kept");
    } else if (kind.endsWith("pipe")) {
        QCOMPARE(::mkfifo(where.constData(), 0600), 0);
    } else if (kind == "device" || kind == "link to a device") {
        made(::mknod(where.constData(), S_IFCHR | 0600, makedev(1, 3)));
    } else if (!m_privateDeviceKept) {
        QSKIP("the system's /dev/null is only tried once a device of our own came through");
    }
    const QString targetFolder = QFileInfo(target).path();
    const QStringList filter{QFileInfo(target).fileName() + "*"};
    auto entries = [&] {
        return QDir(targetFolder).entryList(filter, QDir::AllEntries | QDir::System | QDir::Hidden)
            + QDir(m_dir->filePath("Ardelon")).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot | QDir::Hidden);
    };
    const QString pathBefore = describePath(file);
    const QString targetBefore = describePath(target);
    const QStringList entriesBefore = entries();

    const Run get = runWriter({file, "get", "SplashScreen"}, 5000);
    QVERIFY2(get.finished, "reading waited on what is at the path");
    QCOMPARE(get.output, QByteArray("SplashScreen absent"));
    const Run set = runWriter({file, "set", "SplashScreen", "1"}, 10000);
    QVERIFY2(set.finished, "writing waited on what is at the path");
    QVERIFY2(set.exitCode == 3, set.output.constData());

    QCOMPARE(describePath(file), pathBefore);
    QCOMPARE(describePath(target), targetBefore);
    QCOMPARE(entries(), entriesBefore);
    if (kind == "folder")
        QCOMPARE(readAll(target + "/inside"), QByteArray("kept"));
    if (kind == "link to a device")
        m_privateDeviceKept = true;
}

void TestRegistryFaults::stoppedLockHolder_data()
{
    QTest::addColumn<bool>("grouped");
    QTest::newRow("one value") << false;
    QTest::newRow("three values as one change") << true;
}

void TestRegistryFaults::stoppedLockHolder()
{
    // A stopped copy holds the lock: the change gives up after about 2 s in all, with
    // an error, and writes nothing; once the copy is gone the same change goes through.
    QFETCH(bool, grouped);
    const QString file = m_dir->filePath("Ardelon/Tovrin.reg");
    writeFile(file, kStored);
    QProcess holder;
    holder.start(QStringLiteral(TOVRIN_REG_WRITER), {file, "hold"});
    QVERIFY(holder.waitForReadyRead(10000));
    QCOMPARE(holder.readAllStandardOutput().trimmed(), QByteArray("held"));
    ::kill(static_cast<pid_t>(holder.processId()), SIGSTOP);

    EmulatedRegistry reg(file.toStdString());
    auto change = [&] {
        if (grouped)
            reg.beginChanges();
        RegHandle key = 0;
        RegStatus status = reg.RegCreateKeyA(kHkeyCurrentUser, "Software\\Ardelon\\Tovrin", &key);
        for (const char* name : {"SplashScreen", "PlaceInTray", "Copy2Clip"}) {
            if (status == kErrorSuccess)
                status = reg.RegSetValueExA(key, name, 0, kRegSz, reinterpret_cast<const std::uint8_t*>("X"), 2);
            if (!grouped)
                break;
        }
        reg.RegCloseKey(key);
        return grouped ? reg.commitChanges() : status;
    };
    QElapsedTimer clock;
    clock.start();
    const RegStatus status = change();
    const qint64 waited = clock.elapsed();
    qInfo("gave up after %lld ms with %d", waited, status);
    QVERIFY(status != kErrorSuccess);
    QVERIFY2(waited >= 1500 && waited <= 4000, qPrintable(QString::number(waited)));
    QCOMPARE(readAll(file), kStored);

    holder.kill();
    QVERIFY(holder.waitForFinished());
    QCOMPARE(change(), kErrorSuccess);
    QCOMPARE(storedText(file, "SplashScreen"), std::optional<QString>(QStringLiteral("X")));
}

void TestRegistryFaults::fourWritersLoseNothing_data()
{
    QTest::addColumn<bool>("links");      // two writers through each of two links to the file
    QTest::addColumn<bool>("deleteLock"); // the lock file deleted again and again meanwhile
    QTest::newRow("one path") << false << false;
    QTest::newRow("two links to one file") << true << false;
    QTest::newRow("lock file deleted while held") << false << true;
}

void TestRegistryFaults::fourWritersLoseNothing()
{
    QFETCH(bool, links);
    QFETCH(bool, deleteLock);
    const QString file = m_dir->filePath("real/Tovrin.reg");
    QVERIFY(QDir().mkpath(m_dir->filePath("real")));
    QStringList paths(4, file);
    if (links) {
        QVERIFY(QDir().mkpath(m_dir->filePath("a")));
        QVERIFY(QDir().mkpath(m_dir->filePath("b")));
        QVERIFY(QFile::link(file, m_dir->filePath("a/Tovrin.reg")));
        QCOMPARE(::symlink("../real/Tovrin.reg", QFile::encodeName(m_dir->filePath("b/Tovrin.reg")).constData()), 0);
        paths = QStringList{m_dir->filePath("a/Tovrin.reg"), m_dir->filePath("b/Tovrin.reg")};
        paths += paths;
    }
    const QStringList names{"SplashScreen", "PlaceInTray", "Copy2Clip", "Fourth"};

    std::atomic<bool> stop = false;
    std::atomic<int> deletions = 0;
    std::thread deleter;
    if (deleteLock) {
        deleter = std::thread([&, lock = QFile::encodeName(file + ".lock")] {
            while (!stop) {
                if (::unlink(lock.constData()) == 0)
                    ++deletions;
                std::this_thread::sleep_for(std::chrono::milliseconds(25));
            }
        });
    }
    QElapsedTimer clock;
    clock.start();
    std::vector<std::unique_ptr<QProcess>> writers;
    for (int i = 0; i < 4; ++i) {
        writers.push_back(std::make_unique<QProcess>());
        writers.back()->start(QStringLiteral(TOVRIN_REG_WRITER), {paths[i], names[i], "500"});
    }
    bool allFinished = true;
    for (auto& w : writers)
        allFinished = w->waitForFinished(180000) && allFinished;
    stop = true;
    if (deleter.joinable())
        deleter.join();
    QVERIFY(allFinished);
    int retries = 0;
    for (auto& w : writers) {
        QVERIFY2(w->exitStatus() == QProcess::NormalExit && w->exitCode() == 0, w->readAllStandardError().constData());
        retries += w->readAllStandardOutput().trimmed().split(' ').value(1).toInt();
    }
    qInfo("4 x 500 writes took %lld ms, the lock file was deleted %d times, %d writes found the lock busy for 2 s",
          clock.elapsed(), deletions.load(), retries);
    for (const QString& name : names)
        QCOMPARE(storedText(file, name.toLatin1().constData()), std::optional<QString>(QStringLiteral("500")));
    if (deleteLock)
        QVERIFY(deletions > 0);
    if (links)
        QVERIFY(QFileInfo(m_dir->filePath("a/Tovrin.reg")).isSymLink() && QFileInfo(m_dir->filePath("b/Tovrin.reg")).isSymLink());
}

void TestRegistryFaults::killsDuringAGroupedChange()
{
    // Three values stored as one change: a kill at any moment leaves all three old or
    // all three new, never a mix and never a damaged file.
    const QString file = m_dir->filePath("Ardelon/Tovrin.reg");
    const int payload = 20000; // big enough that a kill often lands inside a write
    long last = 0;
    int kills = 0;
    int midWrite = 0;
    QElapsedTimer clock;
    clock.start();
    while (kills < 1000) {
        QProcess writer;
        writer.start(QStringLiteral(TOVRIN_REG_WRITER), {file, "group", "forever", QString::number(payload)});
        QVERIFY(writer.waitForStarted());
        QVERIFY(writer.waitForReadyRead(10000));
        QTest::qSleep(QRandomGenerator::global()->bounded(15));
        ::kill(static_cast<pid_t>(writer.processId()), SIGKILL);
        QVERIFY(writer.waitForFinished(10000));
        QCOMPARE(writer.exitStatus(), QProcess::CrashExit);
        ++kills;
        midWrite += QDir(m_dir->filePath("Ardelon")).entryList({"Tovrin.reg.tmp-*"}, QDir::Files).isEmpty() ? 0 : 1;

        if (!QFile::exists(file))
            continue; // killed before its first change landed
        const QByteArray content = readAll(file);
        QVERIFY2(regfile::parse(content.toStdString()), "the file was left damaged");
        const std::optional<QString> splash = storedText(file, "SplashScreen");
        const std::optional<QString> tray = storedText(file, "PlaceInTray");
        const std::optional<QString> copy = storedText(file, "Copy2Clip");
        QVERIFY2(splash && tray && copy, "a change landed in part");
        QVERIFY2(*splash == *tray && *tray == *copy, "values of two different changes");
        const qsizetype colon = splash->indexOf(':');
        bool ok = false;
        const long n = splash->left(colon).toLong(&ok);
        QVERIFY2(ok && splash->size() - colon - 1 == payload, "a value the writer did not write");
        QVERIFY2(n >= last, "an older change came back");
        last = n;
    }
    qInfo("%d writers killed, %d of them inside a change, %ld changes landed, %lld ms", kills, midWrite, last,
          clock.elapsed());
    QVERIFY(midWrite > 0);
    QVERIFY(last > 0);
}

QTEST_MAIN(TestRegistryFaults)
#include "registry_faults.moc"
