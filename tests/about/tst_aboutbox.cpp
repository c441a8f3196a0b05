#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTextLayout>
#include <QtTest>

#include "ui/windows/WindowHolder.h"
#include "support/TestApp.h"
#include "ui/dialogs/AboutBox.h"
#include "ui/widgets/LinkLabel.h"
#include "ui/main/MainWindow.h"

namespace {

AboutBox& about(TestApp& app)
{
    return app.windows().get<AboutBox>();
}

} // namespace

class TestAboutBox : public QObject {
    Q_OBJECT
private slots:
    void init() { m_app = std::make_unique<TestApp>(); }
    void cleanup() { m_app.reset(); }

    void window();
    void layout_data();
    void layout();
    void banner();
    void captionsFit_data();
    void captionsFit();
    void paragraphLeadsUpToTheGroupLink();
    void links_data();
    void links();
    void pressWithoutReleaseIsNoClick();
    void linkCursorOnlyOverLinks();
    void focusOnOkAndKeys();
    void okHidesAndAboutShowsTheSameWindow();
    void closeUnloadsAndAboutLoadsAfresh();

private:
    std::unique_ptr<TestApp> m_app;
};

void TestAboutBox::window()
{
    AboutBox& f = about(*m_app);
    QCOMPARE(f.windowTitle(), QStringLiteral("About"));
    QCOMPARE(f.client()->size(), QSize(552, 481));
    QVERIFY(!(f.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QVERIFY(f.windowFlags() & Qt::WindowCloseButtonHint);
    QCOMPARE(f.frame->title(), QStringLiteral("About: Tovrin 2.0.5"));
    QCOMPARE(f.okButton->text(), QStringLiteral("OK"));
    QVERIFY(f.windowIcon().availableSizes().contains(QSize(32, 32)));
    QVERIFY(f.windowIcon().availableSizes().contains(QSize(16, 16)));
}

void TestAboutBox::layout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("pixels");
    // Twips / 15, within frame (frame within the client area).
    QTest::newRow("Frame1") << "Frame1" << QRect(8, 8, 537, 465);
    QTest::newRow("Picture1") << "Picture1" << QRect(24, 24, 497, 169);
    QTest::newRow("Label1") << "Label1" << QRect(24, 200, 481, 109);
    // Label7 stands wherever the paragraph ends (paragraphLeadsUpToTheGroupLink).
    QTest::newRow("Label2") << "Label2" << QRect(328, 320, 65, 17);
    QTest::newRow("Label3") << "Label3" << QRect(328, 336, 177, 17);
    // wider than the classic 123 pixels, to hold the address in today's font
    QTest::newRow("Label6") << "Label6" << QRect(328, 352, 177, 17);
    QTest::newRow("Command1") << "Command1" << QRect(384, 400, 105, 33);
    QTest::newRow("Label5") << "Label5" << QRect(8, 448, 281, 17);
    QTest::newRow("Label4") << "Label4" << QRect(360, 448, 169, 17);
}

void TestAboutBox::layout()
{
    QFETCH(QString, name);
    QFETCH(QRect, pixels);
    auto* w = about(*m_app).findChild<QWidget*>(name);
    QVERIFY(w);
    QCOMPARE(w->geometry(), pixels);
    QCOMPARE(w->parentWidget(), name == "Frame1" ? about(*m_app).client() : about(*m_app).frame);
}

void TestAboutBox::banner()
{
    QLabel* picture = about(*m_app).banner;
    const QPixmap banner = picture->pixmap();
    QCOMPARE(banner.size(), QSize(504, 169));
    QVERIFY(!picture->hasScaledContents());
    QCOMPARE(picture->alignment(), Qt::AlignLeft | Qt::AlignTop);
    // drawn from the top-left corner: the right end of the picture is cut off
    about(*m_app).showModeless();
    const QImage shown = picture->grab().toImage();
    QCOMPARE(shown.size(), QSize(497, 169));
    const QImage source = banner.toImage();
    for (const QPoint p : {QPoint(0, 0), QPoint(496, 168), QPoint(200, 80)})
        QCOMPARE(shown.pixelColor(p), source.pixelColor(p));
}

void TestAboutBox::captionsFit_data()
{
    QTest::addColumn<QString>("name");
    for (const char* name : {"Label7", "Label2", "Label3", "Label6", "Label5", "Label4"})
        QTest::newRow(name) << name;
}

void TestAboutBox::captionsFit()
{
    QFETCH(QString, name);
    auto* label = about(*m_app).findChild<QLabel*>(name);
    QVERIFY(!label->text().isEmpty());
    const int needed = label->fontMetrics().horizontalAdvance(label->text());
    QVERIFY2(needed <= label->width(), qPrintable(QStringLiteral("%1 needs %2 px").arg(label->text()).arg(needed)));
}

void TestAboutBox::paragraphLeadsUpToTheGroupLink()
{
    // The paragraph wraps inside its label, and its last line ends before the group
    // name, which continues it.
    QLabel* paragraph = about(*m_app).description;
    QVERIFY(paragraph->wordWrap());
    QVERIFY(paragraph->text().size() > 450);
    const QRect needed = paragraph->fontMetrics().boundingRect(paragraph->contentsRect(),
                                                               Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop,
                                                               paragraph->text());
    QVERIFY2(needed.height() <= paragraph->height(), qPrintable(QString::number(needed.height())));
    QTextLayout text(paragraph->text(), paragraph->font());
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap);
    text.setTextOption(option);
    text.beginLayout();
    QTextLine last;
    int y = 0;
    for (QTextLine line = text.createLine(); line.isValid(); line = text.createLine()) {
        line.setLineWidth(paragraph->width());
        line.setPosition(QPointF(0, y));
        y += paragraph->fontMetrics().lineSpacing();
        last = line;
    }
    text.endLayout();
    const QRect group = about(*m_app).groupLink->geometry().translated(-paragraph->pos());
    QVERIFY2(last.naturalTextWidth() < group.left(), qPrintable(QString::number(last.naturalTextWidth())));
    QVERIFY(qAbs(int(last.y()) - group.top()) < paragraph->fontMetrics().lineSpacing());
}

void TestAboutBox::links_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("file");
    QTest::newRow("mail") << "Label6" << "mailto:tovrin@ardelon.example";
    QTest::newRow("home page") << "Label7" << "http://www.qwirl.example/";
}

void TestAboutBox::links()
{
    QFETCH(QString, label);
    QFETCH(QString, file);
    about(*m_app).showModeless();
    auto* link = about(*m_app).findChild<QLabel*>(label);
    if (label == "Label6")
        QCOMPARE(link->text(), "  " + file.mid(int(qstrlen("mailto:"))));
    QTest::mouseClick(link, Qt::LeftButton, {}, link->rect().center());
    const QList<QUrl>& opened = m_app->fakes.links->opened;
    QCOMPARE(opened.size(), 1);
    QCOMPARE(opened[0], QUrl(file));
    QVERIFY(about(*m_app).isVisible());
    // other mouse buttons and the other labels open nothing
    QTest::mouseClick(link, Qt::RightButton, {}, link->rect().center());
    QTest::mouseClick(about(*m_app).description, Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(opened.size(), 1);
}

void TestAboutBox::pressWithoutReleaseIsNoClick()
{
    about(*m_app).showModeless();
    QLabel* link = about(*m_app).mailLink;
    QTest::mousePress(link, Qt::LeftButton, {}, link->rect().center());
    QTest::mouseRelease(link, Qt::LeftButton, {}, QPoint(-30, link->height() + 40));
    QCOMPARE(m_app->fakes.links->opened.size(), 0);
}

void TestAboutBox::linkCursorOnlyOverLinks()
{
    for (QLabel* link : {about(*m_app).mailLink, about(*m_app).groupLink}) {
        QVERIFY(link->testAttribute(Qt::WA_SetCursor));
        QCOMPARE(link->cursor().shape(), Qt::BitmapCursor);
        QCOMPARE(link->cursor().hotSpot(), QPoint(12, 1));
        QCOMPARE(link->cursor().pixmap().size(), QSize(32, 32));
    }
    for (QWidget* other : QList<QWidget*>{about(*m_app).description, about(*m_app).signature, about(*m_app).banner, about(*m_app).frame})
        QVERIFY(!other->testAttribute(Qt::WA_SetCursor));
}

void TestAboutBox::focusOnOkAndKeys()
{
    MainWindow& main = m_app->windows().get<MainWindow>();
    named<QAction>(main, "mnuAbout")->trigger();
    AboutBox& f = about(*m_app);
    QVERIFY(QTest::qWaitForWindowActive(&f));
    QCOMPARE(f.focusWidget(), f.okButton);
    QTest::keyClick(f.okButton, Qt::Key_Escape);
    QVERIFY(f.isVisible());
    QTest::keyClick(f.okButton, Qt::Key_Return);
    QVERIFY(!f.isVisible());
    named<QAction>(main, "mnuAbou")->trigger();
    QVERIFY(f.isVisible());
    QTest::keyClick(f.okButton, Qt::Key_Space);
    QVERIFY(!f.isVisible());
}

void TestAboutBox::okHidesAndAboutShowsTheSameWindow()
{
    MainWindow& main = m_app->windows().get<MainWindow>();
    named<QAction>(main, "mnuAbout")->trigger();
    AboutBox* first = &about(*m_app);
    QVERIFY(first->isVisible());
    QTest::mouseClick(first->okButton, Qt::LeftButton);
    QVERIFY(!first->isVisible());
    QVERIFY(m_app->windows().isLoaded<AboutBox>());
    settleDeletes();
    named<QAction>(main, "mnuAbou")->trigger();
    QCOMPARE(&about(*m_app), first);
    QVERIFY(first->isVisible());
}

void TestAboutBox::closeUnloadsAndAboutLoadsAfresh()
{
    named<QAction>(m_app->windows().get<MainWindow>(), "mnuAbout")->trigger();
    QPointer<AboutBox> first = &about(*m_app);
    first->close();
    QVERIFY(!m_app->windows().isLoaded<AboutBox>());
    settleDeletes();
    QVERIFY(first.isNull());
    named<QAction>(m_app->windows().get<MainWindow>(), "mnuAbout")->trigger();
    QVERIFY(about(*m_app).isVisible());
    QCOMPARE(about(*m_app).frame->title(), QStringLiteral("About: Tovrin 2.0.5"));
}

QTEST_MAIN(TestAboutBox)
#include "tst_aboutbox.moc"
