#include <QtTest>

#include "app/Application.h"

class tst_CommandLine : public QObject {
    Q_OBJECT
private slots:
    void arguments_data();
    void arguments();
    void refusalStaysOneLine_data();
    void refusalStaysOneLine();
    void helpNamesBothOptions();
    void platform_data();
    void platform();
};

void tst_CommandLine::arguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("run");
    QTest::addColumn<bool>("toStdErr");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("outputStart");

    QTest::newRow("none: start") << QStringList() << true << false << 0 << QString();
    QTest::newRow("version") << QStringList{"--version"} << false << false << 0 << "Tovrin 2.0.5\n";
    QTest::newRow("help") << QStringList{"--help"} << false << false << 0 << "Usage: tovrin ";
    QTest::newRow("unknown") << QStringList{"--verbose"} << false << true << 2
                             << "tovrin: unexpected argument '--verbose'";
    QTest::newRow("short version is not an alias") << QStringList{"-v"} << false << true << 2
                                                   << "tovrin: unexpected argument '-v'";
    QTest::newRow("case matters") << QStringList{"--Version"} << false << true << 2
                                  << "tovrin: unexpected argument '--Version'";
    QTest::newRow("value attached") << QStringList{"--version=1"} << false << true << 2
                                    << "tovrin: unexpected argument '--version=1'";
    QTest::newRow("empty argument") << QStringList{""} << false << true << 2 << "tovrin: unexpected argument ''";
    QTest::newRow("a file name") << QStringList{"notes.txt"} << false << true << 2
                                 << "tovrin: unexpected argument 'notes.txt'";
    // Qt's own options are not taken either: the program has no arguments.
    QTest::newRow("qt option") << QStringList{"-platform", "xcb"} << false << true << 2
                               << "tovrin: unexpected argument '-platform'";
    QTest::newRow("version plus more") << QStringList{"--version", "--help"} << false << true << 2
                                       << "tovrin: unexpected argument '--help'";
    QTest::newRow("help plus more") << QStringList{"--help", "x"} << false << true << 2
                                    << "tovrin: unexpected argument 'x'";
    QTest::newRow("unknown before version") << QStringList{"x", "--version"} << false << true << 2
                                            << "tovrin: unexpected argument 'x'";
}

void tst_CommandLine::arguments()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, run);
    QFETCH(bool, toStdErr);
    QFETCH(int, status);
    QFETCH(QString, outputStart);

    const CommandLine c = parseCommandLine(arguments);
    QCOMPARE(c.run, run);
    QCOMPARE(c.toStdErr, toStdErr);
    QCOMPARE(c.exitStatus, status);
    if (run)
        QVERIFY(c.output.isEmpty());
    else
        QVERIFY2(c.output.startsWith(outputStart), qPrintable(c.output));
    if (toStdErr)
        QVERIFY2(c.output.contains(QLatin1String("--help")), "the refusal points to --help");
}

void tst_CommandLine::refusalStaysOneLine_data()
{
    QTest::addColumn<QString>("argument");
    QTest::addColumn<QString>("shown");
    QTest::newRow("line feed") << QString("a\nb") << QString("a\\x0ab");
    QTest::newRow("carriage return") << QString("a\rb") << QString("a\\x0db");
    QTest::newRow("escape sequence") << QString("\x1b[2J") << QString("\\x1b[2J");
    QTest::newRow("unicode line separator") << QString(QChar(0x2028)) << QString("\\x2028");
    QTest::newRow("non-latin kept") << QString("ünd-ß") << QString("ünd-ß");
}

void tst_CommandLine::refusalStaysOneLine()
{
    QFETCH(QString, argument);
    QFETCH(QString, shown);
    const CommandLine c = parseCommandLine({argument}, QStringLiteral("tovrin"));
    QCOMPARE(c.exitStatus, 2);
    QCOMPARE(c.output.count(QLatin1Char('\n')), 1);
    QVERIFY(c.output.endsWith(QLatin1Char('\n')));
    QVERIFY(!c.output.contains(QLatin1Char('\r')));
    QVERIFY2(c.output.contains(QLatin1Char('\'') + shown + QLatin1Char('\'')), qPrintable(c.output));
}

void tst_CommandLine::helpNamesBothOptions()
{
    const CommandLine c = parseCommandLine({"--help"}, QStringLiteral("tovrin205"));
    QVERIFY(c.output.startsWith(QLatin1String("Usage: tovrin205 [--help | --version]\n")));
    QVERIFY(c.output.contains(QLatin1String("  --version")));
    QVERIFY(c.output.contains(QLatin1String("Change the case of text")));
    for (const QString& line : c.output.split(QLatin1Char('\n')))
        QVERIFY2(line.size() <= 80, qPrintable(line));
}

void tst_CommandLine::platform_data()
{
    QTest::addColumn<QByteArray>("qpa");
    QTest::addColumn<QByteArray>("wayland");
    QTest::addColumn<QByteArray>("x");
    QTest::addColumn<QByteArray>("session");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("plain X11") << QByteArray() << QByteArray() << QByteArray(":0") << QByteArray("x11") << QByteArray();
    QTest::newRow("wayland with XWayland") << QByteArray() << QByteArray("wayland-0") << QByteArray(":0")
                                           << QByteArray("wayland") << QByteArray("xcb");
    QTest::newRow("wayland display only, no session type")
        << QByteArray() << QByteArray("wayland-0") << QByteArray(":1") << QByteArray() << QByteArray("xcb");
    QTest::newRow("wayland session, socket name not exported")
        << QByteArray() << QByteArray() << QByteArray(":0") << QByteArray("wayland") << QByteArray("xcb");
    QTest::newRow("wayland without XWayland") << QByteArray() << QByteArray("wayland-0") << QByteArray()
                                              << QByteArray("wayland") << QByteArray();
    QTest::newRow("user chose wayland") << QByteArray("wayland") << QByteArray("wayland-0") << QByteArray(":0")
                                        << QByteArray("wayland") << QByteArray();
    QTest::newRow("user chose a fallback list") << QByteArray("wayland;xcb") << QByteArray("wayland-0")
                                                << QByteArray(":0") << QByteArray("wayland") << QByteArray();
    QTest::newRow("user chose offscreen") << QByteArray("offscreen") << QByteArray() << QByteArray(":0")
                                          << QByteArray() << QByteArray();
    QTest::newRow("empty choice counts as none") << QByteArray("") << QByteArray("wayland-0") << QByteArray(":0")
                                                 << QByteArray("wayland") << QByteArray("xcb");
    QTest::newRow("no display at all") << QByteArray() << QByteArray() << QByteArray() << QByteArray("tty")
                                       << QByteArray();
}

void tst_CommandLine::platform()
{
    QFETCH(QByteArray, qpa);
    QFETCH(QByteArray, wayland);
    QFETCH(QByteArray, x);
    QFETCH(QByteArray, session);
    QFETCH(QByteArray, expected);
    QCOMPARE(preferredPlatform(DisplayEnvironment{qpa, wayland, x, session}), expected);
}

QTEST_GUILESS_MAIN(tst_CommandLine)
#include "tst_commandline.moc"
