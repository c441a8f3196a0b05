// The Qt clipboard backend on the toolkit's in-process clipboard: what counts as text,
// and that writing replaces everything.
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QUrl>
#include <QtTest>

#include "platform/qt/QtClipboard.h"

using platform::ClipboardRead;
using Status = platform::ClipboardRead::Status;

class TestQtClipboard : public QObject {
    Q_OBJECT
private slots:
    void readsWhatOthersPut_data();
    void readsWhatOthersPut();
    void writeReplacesEverything();
    void writeEmptyText();
};

void TestQtClipboard::readsWhatOthersPut_data()
{
    QTest::addColumn<QString>("format"); // empty: nothing on the clipboard
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("text");
    const QString mixed = QStringLiteral("Grüße, Привет 😀\nzwei");
    QTest::newRow("plain text") << "text/plain" << mixed.toUtf8() << int(Status::Text) << mixed;
    QTest::newRow("UTF-8 text only") << "text/plain;charset=utf-8" << mixed.toUtf8() << int(Status::Text) << mixed;
    QTest::newRow("UTF-8 text that is not UTF-8") << "text/plain;charset=utf-8" << QByteArray("Gr\xfc\xdf" "e")
                                                  << int(Status::Unavailable) << QString();
    QTest::newRow("empty text is text") << "text/plain" << QByteArray() << int(Status::Text) << QString();
    QTest::newRow("picture") << "image/png" << QByteArray("\x89PNG\r\n\x1a\n", 8) << int(Status::NoText) << QString();
    QTest::newRow("files") << "text/uri-list" << QByteArray("file:///tmp/a.txt\r\n") << int(Status::NoText) << QString();
    QTest::newRow("rich text only") << "text/html" << QByteArray("<b>x</b>") << int(Status::NoText) << QString();
    QTest::newRow("nothing") << QString() << QByteArray() << int(Status::NoText) << QString();
    // Where the toolkit shows the clipboard only to a focused window (Wayland).
    QTest::newRow("nothing, seen only with focus") << QString() << QByteArray() << int(Status::Unavailable) << QString();
    QTest::newRow("text, seen only with focus") << "text/plain" << mixed.toUtf8() << int(Status::Text) << mixed;
}

void TestQtClipboard::readsWhatOthersPut()
{
    QFETCH(QString, format);
    QFETCH(QByteArray, bytes);
    QFETCH(int, status);
    QFETCH(QString, text);
    QClipboard* system = QGuiApplication::clipboard();
    if (format.isEmpty()) {
        system->clear();
    } else {
        auto* data = new QMimeData;
        data->setData(format, bytes);
        system->setMimeData(data);
    }
    const bool focusOnly = QString::fromLatin1(QTest::currentDataTag()).endsWith(QLatin1String("only with focus"));
    platform::QtClipboard clipboard(focusOnly ? platform::QtClipboard::Nothing::Unreadable
                                              : platform::QtClipboard::Nothing::NoText);
    const ClipboardRead read = clipboard.read();
    QCOMPARE(int(read.status), status);
    QCOMPARE(read.text, text);
}

void TestQtClipboard::writeReplacesEverything()
{
    auto* data = new QMimeData;
    data->setImageData(QImage(4, 4, QImage::Format_RGB32));
    data->setUrls({QUrl(QStringLiteral("file:///tmp/a.txt"))});
    QGuiApplication::clipboard()->setMimeData(data);

    platform::QtClipboard clipboard;
    QVERIFY(clipboard.setText(QStringLiteral("Neu ÄÖÜ")));
    const QMimeData* now = QGuiApplication::clipboard()->mimeData();
    QCOMPARE(now->formats(), QStringList{QStringLiteral("text/plain")});
    QCOMPARE(now->text(), QStringLiteral("Neu ÄÖÜ"));
    QCOMPARE(clipboard.read().text, QStringLiteral("Neu ÄÖÜ"));
}

void TestQtClipboard::writeEmptyText()
{
    QGuiApplication::clipboard()->setText(QStringLiteral("old"));
    platform::QtClipboard clipboard;
    QVERIFY(clipboard.setText(QString()));
    const ClipboardRead read = clipboard.read();
    QCOMPARE(read.status, Status::Text);
    QCOMPARE(read.text, QString());
}

QTEST_MAIN(TestQtClipboard)
#include "tst_qtclipboard.moc"
