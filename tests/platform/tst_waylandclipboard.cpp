#include <QElapsedTimer>
#include <QTimer>

#include <optional>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "platform/unix/WaylandClipboard.h"

using platform::ClipboardRead;
using platform::WaylandClipboard;

Q_DECLARE_METATYPE(ClipboardRead::Status)

namespace {

// Stand-ins for wl-paste and wl-copy: shell scripts that answer as an owner would.
// TYPES lists what the owner offers (or NONE: nothing offered, in words of its own);
// DATA is what it hands over for any type; SLEEP delays the handing over.
QString writeScript(const QTemporaryDir& dir, const QString& name, const QByteArray& body)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write("#!/bin/sh\n" + body);
    f.close();
    f.setPermissions(f.permissions() | QFile::ExeOwner);
    return path;
}

QString paste(const QTemporaryDir& dir)
{
    return writeScript(dir, QStringLiteral("wl-paste"), R"sh(d=$(dirname "$0")
if [ "$1" = --list-types ]; then
  if [ "$(cat "$d/types")" = NONE ]; then echo "Nothing is copied" >&2; exit 1; fi
  cat "$d/types"; exit 0
fi
echo "$@" >"$d/asked"
[ -f "$d/sleep" ] && sleep "$(cat "$d/sleep")"
[ -f "$d/fail" ] && exit 1
[ -f "$d/endless" ] && exec yes
cat "$d/data"
)sh");
}

void put(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    QFile f(dir.filePath(name));
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
}

QByteArray get(const QTemporaryDir& dir, const QString& name)
{
    QFile f(dir.filePath(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestWaylandClipboard : public QObject {
    Q_OBJECT
private slots:
    void read_data();
    void read();
    void slowOwnerEndsAtDeadline_data();
    void slowOwnerEndsAtDeadline();
    void fiftyMebibytesExact();
    void windowAnswersWhileWaiting();
    void write_data();
    void write();
};

void TestWaylandClipboard::read_data()
{
    QTest::addColumn<QByteArray>("types");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<bool>("fails");
    QTest::addColumn<bool>("compositorAnswers");
    QTest::addColumn<ClipboardRead::Status>("status");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("askedType");
    const QByteArray wlCopyTypes = "text/plain;charset=utf-8\ntext/plain\nTEXT\nSTRING\nUTF8_STRING\n";
    const auto text = ClipboardRead::Status::Text;
    const auto none = ClipboardRead::Status::NoText;
    const auto unreadable = ClipboardRead::Status::Unavailable;
    QTest::newRow("UTF-8 from a Wayland program")
        << wlCopyTypes << QByteArray("Grüße ✓") << false << true << text << QString::fromUtf8("Grüße ✓")
        << QByteArray("--no-newline --type text/plain;charset=utf-8\n");
    QTest::newRow("newline kept") << wlCopyTypes << QByteArray("a\nb\n") << false << true << text << "a\nb\n"
                                  << QByteArray("--no-newline --type text/plain;charset=utf-8\n");
    QTest::newRow("X11 program through XWayland") << QByteArray("TARGETS\nUTF8_STRING\nSTRING\n") << QByteArray("x")
                                                  << false << true << text << "x" << QByteArray("--no-newline --type UTF8_STRING\n");
    QTest::newRow("Latin-1 only") << QByteArray("STRING\n") << QByteArray("caf\xe9") << false << true << text
                                  << QString::fromUtf8("café") << QByteArray("--no-newline --type STRING\n");
    QTest::newRow("empty clipboard") << QByteArray("NONE") << QByteArray() << false << true << none << QString()
                                     << QByteArray();
    QTest::newRow("wl-paste cannot reach the compositor")
        << QByteArray("NONE") << QByteArray() << false << false << unreadable << QString() << QByteArray();
    QTest::newRow("a picture") << QByteArray("image/png\n") << QByteArray("\x89PNG") << false << true << none
                               << QString() << QByteArray();
    QTest::newRow("files") << QByteArray("text/uri-list\nx-special/gnome-copied-files\n") << QByteArray("file:///a")
                           << false << true << none << QString() << QByteArray();
    QTest::newRow("invalid UTF-8") << wlCopyTypes << QByteArray("ok\xff\xfe") << false << true << unreadable
                                   << QString() << QByteArray("--no-newline --type text/plain;charset=utf-8\n");
    QTest::newRow("refused: nothing handed over") << wlCopyTypes << QByteArray() << false << true << unreadable
                                                  << QString()
                                                  << QByteArray("--no-newline --type text/plain;charset=utf-8\n");
    QTest::newRow("the transfer fails") << wlCopyTypes << QByteArray("abc") << true << true << unreadable << QString()
                                        << QByteArray("--no-newline --type text/plain;charset=utf-8\n");
}

void TestWaylandClipboard::read()
{
    QFETCH(QByteArray, types);
    QFETCH(QByteArray, data);
    QFETCH(bool, fails);
    QFETCH(bool, compositorAnswers);
    QFETCH(ClipboardRead::Status, status);
    QFETCH(QString, text);
    QFETCH(QByteArray, askedType);
    QTemporaryDir dir;
    put(dir, QStringLiteral("types"), types);
    put(dir, QStringLiteral("data"), data);
    if (fails)
        put(dir, QStringLiteral("fail"), "1");
    WaylandClipboard clipboard({paste(dir), QStringLiteral("/nonexistent/wl-copy"), [=] { return compositorAnswers; }});
    const ClipboardRead read = clipboard.read();
    QCOMPARE(read.status, status);
    QCOMPARE(read.text, text);
    QCOMPARE(get(dir, QStringLiteral("asked")), askedType);
}

void TestWaylandClipboard::slowOwnerEndsAtDeadline_data()
{
    // The whole read's deadline here is 1.5 s; it may take 64 KiB.
    QTest::addColumn<QByteArray>("delay");
    QTest::addColumn<bool>("endless");
    QTest::addColumn<ClipboardRead::Status>("status");
    QTest::newRow("in time") << QByteArray("0.3") << false << ClipboardRead::Status::Text;
    QTest::newRow("never answers") << QByteArray("30") << false << ClipboardRead::Status::Unavailable;
    QTest::newRow("never stops writing") << QByteArray("0") << true << ClipboardRead::Status::Unavailable;
}

void TestWaylandClipboard::slowOwnerEndsAtDeadline()
{
    QFETCH(QByteArray, delay);
    QFETCH(bool, endless);
    QFETCH(ClipboardRead::Status, status);
    QTemporaryDir dir;
    put(dir, QStringLiteral("types"), "UTF8_STRING\n");
    put(dir, QStringLiteral("data"), "late");
    put(dir, QStringLiteral("sleep"), delay);
    if (endless)
        put(dir, QStringLiteral("endless"), "1");
    WaylandClipboard clipboard({paste(dir)}, {1500, 1500, 64 << 10});
    QElapsedTimer clock;
    clock.start();
    const ClipboardRead read = clipboard.read();
    QCOMPARE(read.status, status);
    QCOMPARE(read.final, endless); // no use asking again at once
    QVERIFY2(clock.elapsed() < 2500, qPrintable(QString::number(clock.elapsed())));
}

void TestWaylandClipboard::fiftyMebibytesExact()
{
    QTemporaryDir dir;
    QByteArray big(50 << 20, 'a');
    for (qsizetype i = 0; i < big.size(); i += 4099)
        big[i] = char('A' + i % 26);
    put(dir, QStringLiteral("types"), "text/plain;charset=utf-8\n");
    put(dir, QStringLiteral("data"), big);
    WaylandClipboard clipboard({paste(dir)});
    const ClipboardRead read = clipboard.read();
    QCOMPARE(read.status, ClipboardRead::Status::Text);
    QCOMPARE(read.text.size(), big.size());
    QVERIFY(read.text == QString::fromLatin1(big));
}

// A hung wl-paste holds up the conversion, never the window; a second read asked for
// meanwhile is refused, not nested.
void TestWaylandClipboard::windowAnswersWhileWaiting()
{
    QTemporaryDir dir;
    put(dir, QStringLiteral("types"), "UTF8_STRING\n");
    put(dir, QStringLiteral("data"), "late");
    put(dir, QStringLiteral("sleep"), "30");
    WaylandClipboard clipboard({paste(dir)}, {1500, 1500, 0});
    QElapsedTimer clock;
    clock.start();
    qint64 longestGap = 0;
    qint64 last = 0;
    std::optional<ClipboardRead> nested;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        longestGap = std::max(longestGap, clock.elapsed() - last);
        last = clock.elapsed();
        if (!nested)
            nested = clipboard.read();
    });
    tick.start(20);
    QCOMPARE(clipboard.read().status, ClipboardRead::Status::Unavailable);
    QVERIFY(nested);
    QCOMPARE(nested->status, ClipboardRead::Status::Unavailable);
    // Asked again at once, it would find the same read waiting.
    QVERIFY(nested->final);
    QVERIFY2(longestGap < 500, qPrintable(QString::number(longestGap)));
}

void TestWaylandClipboard::write_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("written");
    const QByteArray record = R"sh(d=$(dirname "$0"); echo "$@" >"$d/args"; cat >"$d/copied"
)sh";
    QTest::newRow("Unicode") << record << QString::fromUtf8("ÄÖÜ ✓ 😀") << true;
    QTest::newRow("empty text") << record << QString() << true;
    QTest::newRow("the tool fails") << QByteArray(R"sh(cat >/dev/null; echo "Failed to connect" >&2; exit 1
)sh") << QStringLiteral("x") << false;
    QTest::newRow("the tool hangs") << QByteArray("sleep 30\n") << QStringLiteral("x") << false;
}

void TestWaylandClipboard::write()
{
    QFETCH(QByteArray, body);
    QFETCH(QString, text);
    QFETCH(bool, written);
    QTemporaryDir dir;
    const QString copy = writeScript(dir, QStringLiteral("wl-copy"), body);
    WaylandClipboard clipboard({QStringLiteral("wl-paste"), copy}, {1500, 1500, 0});
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(clipboard.setText(text), written);
    QVERIFY(clock.elapsed() < 2500);
    if (written) {
        QCOMPARE(get(dir, QStringLiteral("copied")), text.toUtf8());
        QCOMPARE(get(dir, QStringLiteral("args")), QByteArray("--type text/plain;charset=utf-8\n"));
    }
}

QTEST_MAIN(TestWaylandClipboard)
#include "tst_waylandclipboard.moc"
