#include <QFile>
#include <QIcon>
#include <QImage>
#include <QImageReader>
#include <QtEndian>
#include <QtTest>

#include "ui/windows/Resources.h"

namespace {

struct Entry {
    int width;
    int height;
    int colours; // 0 for 256 or more
    int planesOrHotX;
    int bitsOrHotY;
};

struct Directory {
    int type = -1; // 1 icon, 2 cursor
    QList<Entry> entries;
};

Directory readDirectory(const QString& path)
{
    QFile file(path);
    Directory dir;
    if (!file.open(QIODevice::ReadOnly))
        return dir;
    const QByteArray b = file.readAll();
    if (b.size() < 6)
        return dir;
    const char* d = b.constData();
    dir.type = qFromLittleEndian<quint16>(d + 2);
    const int count = qFromLittleEndian<quint16>(d + 4);
    for (int i = 0; i < count && 6 + 16 * (i + 1) <= b.size(); ++i) {
        const char* e = d + 6 + 16 * i;
        dir.entries << Entry{quint8(e[0]) ? quint8(e[0]) : 256, quint8(e[1]) ? quint8(e[1]) : 256, quint8(e[2]),
                             qFromLittleEndian<quint16>(e + 4), qFromLittleEndian<quint16>(e + 6)};
    }
    return dir;
}

// "32x32x4" per entry, in file order (bits per pixel; for cursors the colour count).
QStringList shapes(const Directory& dir)
{
    QStringList out;
    for (const Entry& e : dir.entries) {
        const int depth = dir.type == 1 ? e.bitsOrHotY : (e.colours == 16 ? 4 : e.colours == 2 ? 1 : 0);
        out << QStringLiteral("%1x%2x%3").arg(e.width).arg(e.height).arg(depth);
    }
    return out;
}

} // namespace

class TestPictures : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { ensureResources(); }
    void icons_data();
    void icons();
    void programIconMatchesIco();
    void linkCursor();
    void banner();
};

void TestPictures::icons_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QStringList>("entries");
    // The program icon: a 2-colour and two 16-colour 32 x 32 images, plus a 16 x 16
    // one drawn for the tray. Each icon also in true colour for twice the density.
    QTest::newRow("program") << ":/icons/tovrin.ico"
                             << QStringList{"32x32x1", "32x32x4", "32x32x4", "16x16x4", "64x64x32"};
    QTest::newRow("about") << ":/icons/about.ico" << QStringList{"32x32x4", "16x16x4", "64x64x32"};
    QTest::newRow("credits") << ":/icons/credits.ico" << QStringList{"32x32x4", "16x16x4", "64x64x32"};
}

void TestPictures::icons()
{
    QFETCH(QString, path);
    QFETCH(QStringList, entries);
    const Directory dir = readDirectory(path);
    QCOMPARE(dir.type, 1);
    QCOMPARE(shapes(dir), entries);
    QImageReader reader(path);
    QCOMPARE(reader.imageCount(), entries.size());
    for (int i = 0; i < entries.size(); ++i) {
        QVERIFY(reader.jumpToImage(i));
        const QImage image = reader.read();
        QVERIFY2(!image.isNull(), qPrintable(reader.errorString()));
        // a transparent corner and a solid middle: the masks came through
        QVERIFY(image.hasAlphaChannel());
        QCOMPARE(image.pixelColor(0, 0).alpha(), 0);
        QCOMPARE(image.pixelColor(image.width() / 2, image.height() / 2).alpha(), 255);
    }
}

// The windows show PNGs taken from the .ico; a changed .ico must bring new ones.
void TestPictures::programIconMatchesIco()
{
    const QIcon ico(QStringLiteral(":/icons/tovrin.ico"));
    const QIcon icon = programIcon();
    for (const int size : {16, 32, 64}) {
        const QImage fromIco = ico.pixmap(size, size).toImage().convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(icon.pixmap(size, size).toImage().convertToFormat(QImage::Format_ARGB32), fromIco);
    }
}

void TestPictures::linkCursor()
{
    const Directory dir = readDirectory(QStringLiteral(":/cursors/link.cur"));
    QCOMPARE(dir.type, 2);
    QCOMPARE(shapes(dir), QStringList{"32x32x4"});
    QCOMPARE(dir.entries[0].planesOrHotX, 12);
    QCOMPARE(dir.entries[0].bitsOrHotY, 1);
    const QImage image(QStringLiteral(":/cursors/link.cur"));
    QCOMPARE(image.size(), QSize(32, 32));
    // the hot spot is the fingertip: solid, with transparency just above and aside
    QCOMPARE(image.pixelColor(12, 1).alpha(), 255);
    QCOMPARE(image.pixelColor(12, 0).alpha(), 0);
    QCOMPARE(image.pixelColor(0, 0).alpha(), 0);
}

void TestPictures::banner()
{
    QImageReader reader(QStringLiteral(":/pictures/banner.png"));
    const QImage image = reader.read();
    QCOMPARE(image.size(), QSize(504, 169));
    QVERIFY(!image.hasAlphaChannel());
    QCOMPARE(image.depth() >= 24, true);
    QCOMPARE(image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_RGB888, true);
    // Where Qt looks for it at twice the density.
    QCOMPARE(QImage(QStringLiteral(":/pictures/banner@2x.png")).size(), image.size() * 2);
}

QTEST_MAIN(TestPictures)
#include "tst_pictures.moc"
