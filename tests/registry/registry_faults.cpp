// Faults the settings store survives, seen through the Options dialog and the real
// file-backed registry: a folder that cannot be written, damaged and huge files, two
// programs writing at once, and a writer killed in the middle of a write.

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

#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "core/WindowHolder.h"
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

Shown shownSettings()
{
    OptionsDialog& f = windows().get<OptionsDialog>();
    return {f.showSplashCheck->isChecked(), f.placeInTrayCheck->isChecked(), f.copyOption->isChecked()};
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

private:
    // The program's own registry over a file in a fresh folder.
    void useFile(const QString& file);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TestApp> m_app;
};

void TestRegistryFaults::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_app = std::make_unique<TestApp>();
}

void TestRegistryFaults::cleanup()
{
    m_app.reset();
    services().registry.reset();
    m_dir.reset();
}

void TestRegistryFaults::useFile(const QString& file)
{
    services().registry = std::make_shared<EmulatedRegistry>(file.toStdString());
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

    const Shown stored = shownSettings();
    windows().get<OptionsDialog>().showModeless();
    OptionsDialog& f = windows().get<OptionsDialog>();
    f.showSplashCheck->setChecked(!stored.splash);
    f.placeInTrayCheck->setChecked(!stored.tray);
    QTest::mouseClick(stored.copy ? f.openOption : f.copyOption, Qt::LeftButton);
    QTest::mouseClick(f.okButton, Qt::LeftButton);

    QVERIFY(!windows().isLoaded<OptionsDialog>());
    QApplication::processEvents();
    for (QWidget* w : QApplication::topLevelWidgets())
        QVERIFY2(!w->isVisible(), qPrintable(w->objectName())); // nothing reported in a window
    QCOMPARE(readAll(file), before);
    // Not stored, but chosen: the choice holds for the rest of the run, and a beep says so.
    QCOMPARE(m_app->fakes.beeper->beeps, 1);
    const Shown again = shownSettings();
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
    writeSettingValue(kSettingsRoot, QString::fromLatin1(kSettingsPath), QStringLiteral("SplashScreen"), QStringLiteral("1"));
    QVERIFY2(clock.elapsed() < 10000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(storedText(file, "SplashScreen"), std::optional<QString>(QStringLiteral("0")));

    ::close(held);
    writeSettingValue(kSettingsRoot, QString::fromLatin1(kSettingsPath), QStringLiteral("SplashScreen"), QStringLiteral("1"));
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
    const Shown shown = shownSettings();
    const qint64 loadMs = clock.elapsed();
    qInfo("loading the dialog took %lld ms", loadMs);
    QVERIFY2(loadMs < 1000, qPrintable(QString::number(loadMs)));
    QVERIFY(!shown.splash && !shown.tray && !shown.copy);
    QVERIFY(windows().get<OptionsDialog>().openOption->isChecked());
    QCOMPARE(QFileInfo(file).size(), sparseSize > 0 ? sparseSize : content.size());

    OptionsDialog& f = windows().get<OptionsDialog>();
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
    const Shown after = shownSettings();
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

QTEST_MAIN(TestRegistryFaults)
#include "registry_faults.moc"
