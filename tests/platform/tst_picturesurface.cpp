// Both picture surfaces show the same pixels for the same places, after a partial
// redraw too: drawn by the toolkit, or copied in the X server from its own copies. The
// X server is one of the test's own, so the X11 surface is checked wherever this runs.
#include <QApplication>
#include <QPainter>
#include <QProcess>
#include <QScreen>
#include <QtTest>

#include "platform/PictureSurface.h"
#include "platform/x11/X11PictureSurface.h"

using platform::PictureSurface;
using Points = QList<QPoint>;

namespace {

const QSize kArea(160, 120);

// Every pixel differs from its neighbours, so a picture a pixel off shows.
QPixmap pattern(QSize size, int seed)
{
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, qRgb((x * 7 + seed) & 255, (y * 13 + seed) & 255, (x * y + 31 * seed) | 1));
    }
    return QPixmap::fromImage(image);
}

std::vector<PictureSurface::Placed> placed(const QList<QPixmap>& pictures, const Points& at)
{
    std::vector<PictureSurface::Placed> out;
    for (qsizetype i = 0; i < at.size(); ++i)
        out.push_back({std::size_t(i), QRect(at[i], pictures[i].size())});
    return out;
}

QImage expected(const QList<QPixmap>& pictures, const Points& at)
{
    QImage image(kArea, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    for (qsizetype i = 0; i < at.size(); ++i)
        painter.drawPixmap(at[i], pictures[i]);
    return image;
}

QImage shown(QWidget* host)
{
    return host->screen()->grabWindow(host->winId()).toImage().convertToFormat(QImage::Format_RGB32);
}

} // namespace

class TestPictureSurface : public QObject {
    Q_OBJECT
private slots:
    void samePixels_data();
    void samePixels();
};

void TestPictureSurface::samePixels_data()
{
    QTest::addColumn<Points>("before");
    QTest::addColumn<Points>("after");
    QTest::newRow("inside, moved up a step") << Points{{10, 40}, {90, 44}} << Points{{10, 37}, {90, 41}};
    QTest::newRow("across the top edge") << Points{{10, 2}, {90, -20}} << Points{{10, -1}, {90, -23}};
    QTest::newRow("across the bottom edge, overlapping") << Points{{10, 100}, {40, 110}}
                                                         << Points{{10, 97}, {40, 107}};
    QTest::newRow("leaving the area") << Points{{10, -27}, {90, 60}} << Points{{10, -30}, {90, 57}};
    QTest::newRow("restarted far below") << Points{{10, 5}, {90, 20}} << Points{{10, 300}, {90, 330}};
}

void TestPictureSurface::samePixels()
{
    QFETCH(Points, before);
    QFETCH(Points, after);
    const QList<QPixmap> pictures{pattern({60, 30}, 1), pattern({50, 24}, 2)};
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    QVERIFY(x11 && platform::X11PictureSurface::suits(x11->connection(), 0));
    const std::vector<std::pair<const char*, platform::PictureSurfaceMaker>> makers{
        {"toolkit", platform::makeQtPictureSurface},
        {"X server", [x11](QWidget* parent) { return new platform::X11PictureSurface(parent, x11->connection()); }}};
    int left = 0;
    for (const auto& [name, make] : makers) {
        QWidget host;
        host.setWindowFlag(Qt::FramelessWindowHint);
        host.setGeometry(QRect(QPoint(left, 0), kArea));
        left += kArea.width() + 20;
        PictureSurface* surface = make(&host);
        surface->setGeometry(host.rect());
        for (qsizetype i = 0; i < pictures.size(); ++i)
            surface->setPicture(std::size_t(i), pictures[i]);
        surface->place(placed(pictures, before), host.rect());
        host.show();
        QVERIFY(QTest::qWaitForWindowExposed(&host));
        QTRY_COMPARE(shown(&host), expected(pictures, before));
        // Only where the pictures were or are is drawn again.
        QRegion changed;
        for (qsizetype i = 0; i < pictures.size(); ++i)
            changed += QRect(before[i], pictures[i].size()) | QRect(after[i], pictures[i].size());
        surface->place(placed(pictures, after), changed & host.rect());
        QTRY_COMPARE(shown(&host), expected(pictures, after));
        // An exposure is answered from the same pictures.
        host.hide();
        host.show();
        QVERIFY(QTest::qWaitForWindowExposed(&host));
        QTRY_COMPARE(shown(&host), expected(pictures, after));
        qInfo() << name << "shows the expected pixels";
    }
}

int main(int argc, char** argv)
{
    QProcess xvfb;
    xvfb.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                                        QStringLiteral("0"), QStringLiteral("640x480x24"), QStringLiteral("-nolisten"),
                                        QStringLiteral("tcp")});
    if (!xvfb.waitForReadyRead(20000)) {
        qCritical("Xvfb did not start: %s", xvfb.readAllStandardError().constData());
        return 1;
    }
    qputenv("DISPLAY", ":" + xvfb.readLine().trimmed());
    qputenv("QT_QPA_PLATFORM", "xcb");
    int result = 0;
    {
        QApplication app(argc, argv);
        TestPictureSurface test;
        result = QTest::qExec(&test, argc, argv);
    }
    xvfb.terminate();
    xvfb.waitForFinished();
    return result;
}

#include "tst_picturesurface.moc"
