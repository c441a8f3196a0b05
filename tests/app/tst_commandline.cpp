#include <QtTest>

#include "app/Application.h"

class tst_CommandLine : public QObject {
    Q_OBJECT
private slots:
    void arguments_data();
    void arguments();
    void refusalStaysOneLine_data();
    void refusalStaysOneLine();
    void helpNamesEveryOption();
    void actionOptions_data();
    void actionOptions();
    void programNameStaysOneLine_data();
    void programNameStaysOneLine();
    void platform_data();
    void platform();
    void missingDisplay_data();
    void missingDisplay();
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
    QTest::newRow("started by the bus") << QStringList{"--dbus-service"} << true << false << 0 << QString();
    QTest::newRow("started by the bus, with an action") << QStringList{"--dbus-service", "--upper"} << false << true
                                                        << 2 << "tovrin: unexpected argument '--upper'";
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
    QCOMPARE(c.waitForRequest, run && arguments.contains(QLatin1String("--dbus-service")));
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

void tst_CommandLine::helpNamesEveryOption()
{
    const CommandLine c = parseCommandLine({"--help"}, QStringLiteral("tovrin205"));
    QVERIFY(c.output.startsWith(QLatin1String("Usage: tovrin205 [--upper | --lower | --random | --title | --sentence")));
    for (const char* option :
         {"--upper", "--lower", "--random", "--title", "--sentence", "--swap", "--in-place", "--help", "--version"})
        QVERIFY2(c.output.contains(QLatin1String("\n  ") + QLatin1String(option) + QLatin1Char(' ')), option);
    QVERIFY(c.output.contains(QLatin1String("Change the case of text")));
    for (const QString& line : c.output.split(QLatin1Char('\n')))
        QVERIFY2(line.size() <= 80, qPrintable(line));
}

void tst_CommandLine::actionOptions_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("action"); // empty: refused with status 2

    QTest::newRow("upper") << QStringList{"--upper"} << "upper";
    QTest::newRow("lower") << QStringList{"--lower"} << "lower";
    QTest::newRow("random") << QStringList{"--random"} << "random";
    QTest::newRow("title") << QStringList{"--title"} << "title";
    QTest::newRow("sentence") << QStringList{"--sentence"} << "sentence";
    QTest::newRow("swap") << QStringList{"--swap"} << "swap";
    QTest::newRow("in place") << QStringList{"--upper", "--in-place"} << "upper-in-place";
    QTest::newRow("in place first") << QStringList{"--in-place", "--swap"} << "swap-in-place";
    QTest::newRow("in place alone") << QStringList{"--in-place"} << QString();
    QTest::newRow("in place twice") << QStringList{"--in-place", "--in-place"} << QString();
    QTest::newRow("in place with two") << QStringList{"--in-place", "--upper", "--lower"} << QString();
    QTest::newRow("two actions") << QStringList{"--upper", "--lower"} << QString();
    QTest::newRow("the same twice") << QStringList{"--upper", "--upper"} << QString();
    QTest::newRow("action and version") << QStringList{"--lower", "--version"} << QString();
    QTest::newRow("bare name is no option") << QStringList{"upper"} << QString();
    QTest::newRow("single dash") << QStringList{"-upper"} << QString();
    QTest::newRow("case matters") << QStringList{"--UPPER"} << QString();
    // Only the three conversions: the other desktop actions are not options.
    QTest::newRow("show is the plain start") << QStringList{"--show"} << QString();
    QTest::newRow("options") << QStringList{"--options"} << QString();
}

void tst_CommandLine::actionOptions()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, action);
    const CommandLine c = parseCommandLine(arguments);
    if (action.isEmpty()) {
        QVERIFY(!c.run);
        QCOMPARE(c.exitStatus, 2);
        QVERIFY(c.toStdErr);
        QCOMPARE(c.output.count(QLatin1Char('\n')), 1);
        QVERIFY(c.action.isEmpty());
    } else {
        QVERIFY(c.run);
        QCOMPARE(c.action, action);
        QVERIFY(c.output.isEmpty());
    }
}

void tst_CommandLine::programNameStaysOneLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("shown");
    QTest::newRow("line feed, refusal") << QStringList{"--bad"} << QString("to\nvrin") << QString("to\\x0avrin");
    QTest::newRow("escape sequence, refusal") << QStringList{"--bad"} << QString("\x1b[31mred")
                                              << QString("\\x1b[31mred");
    QTest::newRow("line feed, help") << QStringList{"--help"} << QString("a\nb") << QString("a\\x0ab");
    QTest::newRow("line separator, refusal") << QStringList{"x"} << QString("a") + QChar(0x2029) + "b"
                                             << QString("a\\x2029b");
}

void tst_CommandLine::programNameStaysOneLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, program);
    QFETCH(QString, shown);
    const CommandLine c = parseCommandLine(arguments, program);
    const QString first = c.output.section(QLatin1Char('\n'), 0, 0);
    QVERIFY2(first.contains(shown), qPrintable(first));
    QVERIFY(!c.output.contains(program));
    if (c.toStdErr)
        QCOMPARE(c.output.count(QLatin1Char('\n')), 1);
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

void tst_CommandLine::missingDisplay_data()
{
    QTest::addColumn<QByteArray>("qpa");
    QTest::addColumn<QByteArray>("x");
    QTest::addColumn<QByteArray>("wayland");
    QTest::addColumn<QByteArray>("session");
    QTest::addColumn<QByteArray>("runtimeDir");
    QTest::addColumn<bool>("xAnswers");
    QTest::addColumn<bool>("waylandAnswers");
    QTest::addColumn<QString>("problem"); // empty: a display is there

    const QByteArray none;
    QTest::newRow("X display answers") << none << QByteArray(":0") << none << none << none << true << false << QString();
    QTest::newRow("nothing set") << none << none << none << none << none << false << false << "DISPLAY is not set";
    QTest::newRow("X display gone") << none << QByteArray(":7") << none << none << none << false << false
                                    << "cannot open the X display ':7'";
    QTest::newRow("a wayland socket does not help an X11 session")
        << none << none << QByteArray("wayland-0") << QByteArray("x11") << QByteArray("/run/user/1") << false << true
        << "DISPLAY is not set";
    QTest::newRow("wayland session without X")
        << none << none << QByteArray("wayland-1") << QByteArray("wayland") << QByteArray("/run/user/1") << false
        << true << QString();
    QTest::newRow("wayland session, compositor gone")
        << none << none << QByteArray("wayland-1") << QByteArray("wayland") << QByteArray("/run/user/1") << false
        << false << "no Wayland display at /run/user/1/wayland-1; DISPLAY is not set";
    QTest::newRow("wayland default socket name")
        << QByteArray("wayland") << none << none << none << QByteArray("/run/user/1") << false << false
        << "no Wayland display at /run/user/1/wayland-0";
    QTest::newRow("wayland absolute socket") << QByteArray("wayland") << none << QByteArray("/tmp/w") << none << none
                                             << false << false << "no Wayland display at /tmp/w";
    QTest::newRow("wayland without runtime folder") << QByteArray("wayland") << none << QByteArray("wayland-0") << none
                                                    << none << false << true
                                                    << "XDG_RUNTIME_DIR is not set for the Wayland display";
    QTest::newRow("offscreen needs nothing") << QByteArray("offscreen") << none << none << none << none << false
                                             << false << QString();
    QTest::newRow("offscreen with options") << QByteArray("offscreen:size=640x480") << none << none << none << none
                                            << false << false << QString();
    QTest::newRow("chosen xcb with display options") << QByteArray("xcb:foo") << QByteArray(":3") << none << none
                                                     << none << false << false << "cannot open the X display ':3'";
    QTest::newRow("fallback list, second answers") << QByteArray("wayland;xcb") << QByteArray(":0")
                                                   << QByteArray("wayland-0") << none << QByteArray("/r") << true
                                                   << false << QString();
    QTest::newRow("fallback list, none answers") << QByteArray("wayland;xcb") << QByteArray(":0")
                                                 << QByteArray("wayland-0") << none << QByteArray("/r") << false
                                                 << false
                                                 << "no Wayland display at /r/wayland-0; cannot open the X display ':0'";
    QTest::newRow("display name with a line feed") << none << QByteArray(":0\nx") << none << none << none << false
                                                   << false << "cannot open the X display ':0\\x0ax'";
}

void tst_CommandLine::missingDisplay()
{
    QFETCH(QByteArray, qpa);
    QFETCH(QByteArray, x);
    QFETCH(QByteArray, wayland);
    QFETCH(QByteArray, session);
    QFETCH(QByteArray, runtimeDir);
    QFETCH(bool, xAnswers);
    QFETCH(bool, waylandAnswers);
    QFETCH(QString, problem);

    QList<QByteArray> xAsked, waylandAsked;
    const DisplayProbes probes{[&](const QByteArray& d) { xAsked << d; return xAnswers; },
                               [&](const QByteArray& p) { waylandAsked << p; return waylandAnswers; }};
    QCOMPARE(::missingDisplay(DisplayEnvironment{qpa, wayland, x, session, runtimeDir}, probes), problem);
    // Whatever is asked is the display named, never a guess.
    for (const QByteArray& d : xAsked)
        QCOMPARE(d, x);
}

QTEST_GUILESS_MAIN(tst_CommandLine)
#include "tst_commandline.moc"
