#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>
#include <QTemporaryDir>
#include <QTextLayout>
#include <QRegularExpression>
#include <QtMath>
#include <QTimer>
#include <QtTest>

#include <cstdio>

#include "ui/windows/WindowHolder.h"
#include "support/TestApp.h"
#include "ui/credits/CreditText.h"
#include "ui/credits/CreditsWindow.h"
#include "ui/dialogs/AboutBox.h"
#include "ui/dialogs/OptionsDialog.h"
#include "ui/dialogs/SplashScreen.h"
#include "ui/dialogs/TextWindow.h"
#include "ui/main/MainWindow.h"
#include "ui/widgets/OutlinedBox.h"

// Every window under the desktop fonts of today's desktops, at several scale factors
// and in a dark colour scheme: every visible text fits its control, crosses no other
// control's box, frame line or text, is readable on its background, and every frame
// line and check box or option button indicator can be seen. The desktop's font and
// scale are fixed when a program starts, so each (font, scale, scheme) is inspected by
// a child run of this program with its own fontconfig configuration;
// TOVRIN_TEST_FONT_DIRS adds font folders to it (fonts unpacked without installing them).

namespace {

const char* const kWindows[] = {"frmCase", "frmOptions", "frmTraytxt", "frmSplash", "frmAbout", "frmCred"};

// The splash's logo: a small letter set into a large one, whose exact rendering is
// free. Its letters count as boxes for the others, and are not text themselves.
bool logoLetter(const QWidget* w)
{
    return w->window()->objectName() == u"frmSplash"
        && (w->objectName() == u"Label1" || w->objectName() == u"Label2");
}

// ---- what the child inspects ------------------------------------------------------

double luminance(const QColor& c)
{
    const auto channel = [](double v) {
        v /= 255.0;
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.red()) + 0.7152 * channel(c.green()) + 0.0722 * channel(c.blue());
}

double contrast(const QColor& a, const QColor& b)
{
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The colour that shows behind a widget: its own or the nearest ancestor's fill.
QColor backgroundOf(const QWidget* w)
{
    for (const QWidget* p = w; p; p = p->parentWidget()) {
        if (p->autoFillBackground() || p->isWindow())
            return p->palette().color(p->backgroundRole());
    }
    return w->palette().color(QPalette::Window);
}

QString textOf(const QWidget* w)
{
    if (auto* b = qobject_cast<const QAbstractButton*>(w))
        return b->text();
    if (auto* l = qobject_cast<const QLabel*>(w))
        return l->pixmap().isNull() ? l->text() : QString();
    if (auto* g = qobject_cast<const QGroupBox*>(w))
        return g->title();
    if (auto* c = qobject_cast<const CreditText*>(w)) {
        QString shown = c->text();
        shown.remove(QLatin1Char('\r'));
        if (shown.endsWith(QLatin1Char('\n')))
            shown.chop(1);
        return shown;
    }
    return QString();
}

QRect groupTitleRect(const QGroupBox* g)
{
    if (auto* o = qobject_cast<const OutlinedBox*>(g))
        return o->titleRect();
    QStyleOptionGroupBox option;
    option.initFrom(g);
    option.text = g->title();
    option.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
    option.lineWidth = 1;
    option.textAlignment = g->alignment();
    return g->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, g);
}

QRect groupLines(const QGroupBox* g)
{
    if (auto* o = qobject_cast<const OutlinedBox*>(g))
        return o->lineRect();
    QStyleOptionGroupBox option;
    option.initFrom(g);
    option.text = g->title();
    option.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
    return g->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxFrame, g);
}

// The lines of a text as drawn in a rectangle, each as wide as its text and as high
// as the font's line.
QList<QRect> lineRects(const QFont& font, const QRect& room, Qt::Alignment align, bool wrap, QString text,
                       bool withLeading = true)
{
    text.replace(QLatin1Char('\n'), QChar::LineSeparator);
    text.remove(QRegularExpression(QStringLiteral("&(?!&)")));
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(wrap ? QTextOption::WordWrap : QTextOption::NoWrap);
    layout.setTextOption(option);
    const qreal leading = withLeading ? QFontMetricsF(font).leading() : 0;
    QList<QRectF> lines;
    // As the painter sets lines: the leading between them, each on a whole pixel.
    qreal y = -leading;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(wrap ? room.width() : 100000);
        y = std::ceil(y + leading);
        line.setPosition(QPointF(0, y));
        y += line.height();
        lines << QRectF(0, line.y(), line.naturalTextWidth(), line.height());
    }
    layout.endLayout();
    const qreal dy = (align & Qt::AlignBottom) ? room.height() - y : (align & Qt::AlignVCenter) ? (room.height() - y) / 2 : 0;
    QList<QRect> result;
    for (QRectF line : lines) {
        const qreal dx = (align & Qt::AlignRight) ? room.width() - line.width()
            : (align & Qt::AlignHCenter)          ? (room.width() - line.width()) / 2
                                                  : 0;
        line.translate(room.x() + dx, room.y() + dy);
        // Whole pixels, rounded inwards by half a pixel of slack.
        result << QRect(QPoint(qFloor(line.left() + 0.5), qFloor(line.top() + 0.5)),
                        QPoint(qCeil(line.right() - 0.5) - 1, qCeil(line.bottom() - 0.5) - 1));
    }
    return result;
}

// Where a widget's text is drawn, line by line, and the room it has there, in the
// widget's own coordinates.
struct TextPlace {
    QList<QRect> lines;
    QRect room;
};

TextPlace placeText(const QWidget* w, const QString& text)
{
    const QFont font = w->font();
    if (auto* b = qobject_cast<const QPushButton*>(w)) {
        // Inside the button's bevel.
        const QRect room = b->rect().adjusted(1, 1, -1, -1);
        return {lineRects(font, room, Qt::AlignCenter, false, text), room};
    }
    if (qobject_cast<const QCheckBox*>(w) || qobject_cast<const QRadioButton*>(w)) {
        QStyleOptionButton option;
        option.initFrom(w);
        option.text = text;
        const bool check = qobject_cast<const QCheckBox*>(w);
        QRect room = w->style()->subElementRect(check ? QStyle::SE_CheckBoxContents : QStyle::SE_RadioButtonContents,
                                                &option, w);
        room.setTop(0);
        room.setBottom(w->height() - 1);
        return {lineRects(font, room, Qt::AlignLeft | Qt::AlignVCenter, false, text), room};
    }
    if (auto* l = qobject_cast<const QLabel*>(w)) {
        const QRect room = l->contentsRect();
        return {lineRects(font, room, l->alignment(), l->wordWrap(), text), room};
    }
    if (auto* g = qobject_cast<const QGroupBox*>(w))
        return {lineRects(font, groupTitleRect(g), Qt::AlignLeft | Qt::AlignVCenter, false, text), g->rect()};
    if (auto* c = qobject_cast<const CreditText*>(w))
        // The credits set their lines one font height apart.
        return {lineRects(font, c->rect(), c->alignment() | Qt::AlignTop, c->wordWrap(), text, false), c->rect()};
    return {};
}

// What a control takes up for the others: the whole of a button or text box, the
// indicator and text of a check box, the text or picture of a label.
QList<QRect> occupied(const QWidget* w)
{
    const QString text = textOf(w);
    if (qobject_cast<const QCheckBox*>(w) || qobject_cast<const QRadioButton*>(w)) {
        QStyleOptionButton option;
        option.initFrom(w);
        const bool check = qobject_cast<const QCheckBox*>(w);
        return QList<QRect>{w->style()->subElementRect(check ? QStyle::SE_CheckBoxIndicator
                                                             : QStyle::SE_RadioButtonIndicator,
                                                       &option, w)}
            + placeText(w, text).lines;
    }
    if (auto* l = qobject_cast<const QLabel*>(w)) {
        if (!l->pixmap().isNull())
            return {QRect(QPoint(0, 0), l->pixmap().deviceIndependentSize().toSize()).intersected(l->rect())};
        if (logoLetter(w))
            return {l->rect()};
        return text.isEmpty() ? QList<QRect>{} : placeText(w, text).lines;
    }
    if (qobject_cast<const CreditText*>(w))
        return placeText(w, text).lines;
    if (qobject_cast<const QGroupBox*>(w))
        return {};
    if (qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QPlainTextEdit*>(w))
        return {w->rect()};
    return {};
}

// The four lines of a frame, one pixel wide each.
QList<QRect> frameLines(const QGroupBox* g)
{
    const QRect r = groupLines(g);
    return {QRect(r.left(), r.top(), r.width(), 1), QRect(r.left(), r.bottom(), r.width(), 1),
            QRect(r.left(), r.top(), 1, r.height()), QRect(r.right(), r.top(), 1, r.height())};
}

QRect toWindow(const QWidget* w, const QRect& r)
{
    return QRect(w->mapTo(w->window(), r.topLeft()), r.size());
}

bool shown(const QWidget* w)
{
    return w->isVisibleTo(w->window()) && w != w->window();
}

QString describe(const QWidget* w)
{
    const QString text = textOf(w).section(QLatin1Char('\n'), 0, 0).left(30);
    return QStringLiteral("%1 \"%2\"").arg(w->objectName(), text);
}

QString rectText(const QRect& r)
{
    return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

// Every frame line, drawn, must stand out from the frame's background along its
// whole length, wherever no text of the frame's own title interrupts it.
QStringList invisibleLines(QGroupBox* g)
{
    QStringList faults;
    const QImage image = g->grab().toImage();
    const qreal ratio = image.devicePixelRatio();
    const QColor back = g->palette().color(g->backgroundRole());
    const QRect lines = groupLines(g);
    const QRect title = groupTitleRect(g).adjusted(-4, 0, 4, 0);
    // Any device pixel up to two pixels either side of where the line should run.
    const auto seen = [&](QPoint p, bool horizontal) {
        const int along = int((horizontal ? p.x() + 0.5 : p.y() + 0.5) * ratio);
        const int across = horizontal ? p.y() : p.x();
        for (int d = int((across - 2) * ratio); d <= int((across + 3) * ratio); ++d) {
            const QPoint px = horizontal ? QPoint(along, d) : QPoint(d, along);
            if (image.rect().contains(px) && contrast(image.pixelColor(px), back) >= 1.5)
                return true;
        }
        return false;
    };
    const auto walk = [&](const char* edge, QPoint from, QPoint step, int length, bool horizontal) {
        int run = 0, longest = 0;
        for (int i = 3; i < length - 3; ++i) {
            const QPoint p = from + step * i;
            if (!g->title().isEmpty() && title.contains(p.x(), title.center().y()) && p.y() == lines.top())
                continue;
            run = seen(p, horizontal) ? 0 : run + 1;
            longest = std::max(longest, run);
        }
        if (longest > 3)
            faults << QStringLiteral("%1: its %2 line cannot be seen over %3 px").arg(describe(g), edge).arg(longest);
    };
    walk("top", lines.topLeft(), QPoint(1, 0), lines.width(), true);
    walk("bottom", lines.bottomLeft(), QPoint(1, 0), lines.width(), true);
    walk("left", lines.topLeft(), QPoint(0, 1), lines.height(), false);
    walk("right", lines.topRight(), QPoint(0, 1), lines.height(), false);
    return faults;
}

// An unchecked indicator must stand out from the background as a line of text must.
QStringList invisibleIndicator(QAbstractButton* b)
{
    const bool check = qobject_cast<QCheckBox*>(b);
    QStyleOptionButton option;
    option.initFrom(b);
    option.state &= ~(QStyle::State_On | QStyle::State_HasFocus | QStyle::State_MouseOver);
    option.state |= QStyle::State_Off;
    option.rect = b->style()->subElementRect(check ? QStyle::SE_CheckBoxIndicator : QStyle::SE_RadioButtonIndicator,
                                             &option, b);
    const qreal ratio = b->devicePixelRatioF();
    QImage image(b->size() * ratio, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    const QColor back = backgroundOf(b);
    image.fill(back);
    QPainter painter(&image);
    b->style()->drawPrimitive(check ? QStyle::PE_IndicatorCheckBox : QStyle::PE_IndicatorRadioButton, &option,
                              &painter, b);
    painter.end();
    double strongest = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            strongest = std::max(strongest, contrast(image.pixelColor(x, y), back));
    }
    if (strongest >= 3.0)
        return {};
    return {QStringLiteral("%1: its indicator cannot be seen on %2 (contrast %3)")
                .arg(describe(b), back.name())
                .arg(strongest, 0, 'f', 2)};
}

QStringList inspectWindow(QWidget* window)
{
    QStringList faults;
    QList<QWidget*> widgets;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (shown(w))
            widgets << w;
    }

    for (QWidget* w : widgets) {
        const QString text = textOf(w);
        if (text.trimmed().isEmpty() || logoLetter(w))
            continue;
        const TextPlace place = placeText(w, text);
        QRect all;
        for (const QRect& line : place.lines) {
            all |= line;
            if (!place.room.contains(line))
                faults << QStringLiteral("%1: a line needs %2, has %3").arg(describe(w), rectText(line), rectText(place.room));
        }
        // Cut off by a container: only where the widget is in the container's view at
        // all (the credits scroll through theirs).
        for (QWidget* p = w; p->parentWidget() && p->parentWidget() != window; p = p->parentWidget()) {
            const QRect inParent = QRect(w->mapTo(p->parentWidget(), all.topLeft()), all.size());
            const QRect room = p->parentWidget()->rect();
            if (room.intersects(QRect(w->mapTo(p->parentWidget(), QPoint(0, 0)), w->size())) && !room.contains(inParent))
                faults << QStringLiteral("%1: text cut off by %2").arg(describe(w), p->parentWidget()->objectName());
        }
        if (!qobject_cast<CreditText*>(w)) {
            const QColor fore = w->palette().color(w->foregroundRole());
            const QColor back = qobject_cast<QPushButton*>(w) ? w->palette().color(QPalette::Button) : backgroundOf(w);
            if (contrast(fore, back) < 3.0)
                faults << QStringLiteral("%1: text %2 on %3 cannot be read").arg(describe(w), fore.name(), back.name());
        }

        for (const QRect& line : place.lines) {
            const QRect mine = toWindow(w, line);
            for (QWidget* other : widgets) {
                if (other == w || other->isAncestorOf(w) || w->isAncestorOf(other))
                    continue;
                for (const QRect& box : occupied(other)) {
                    if (box.isValid() && mine.intersects(toWindow(other, box)))
                        faults << QStringLiteral("%1 overlaps %2").arg(describe(w), describe(other));
                }
            }
            // Frame lines and titles count for the controls inside a frame as well.
            for (QWidget* other : widgets) {
                auto* frame = qobject_cast<QGroupBox*>(other);
                if (!frame || frame == w)
                    continue;
                for (const QRect& edge : frameLines(frame)) {
                    if (mine.intersects(toWindow(frame, edge)))
                        faults << QStringLiteral("%1 crosses the line of %2").arg(describe(w), describe(frame));
                }
                for (const QRect& title : placeText(frame, frame->title()).lines) {
                    if (!frame->title().isEmpty() && mine.intersects(toWindow(frame, title)))
                        faults << QStringLiteral("%1 overlaps the title of %2").arg(describe(w), describe(frame));
                }
            }
        }
    }

    for (QWidget* w : widgets) {
        if (auto* frame = qobject_cast<QGroupBox*>(w))
            faults << invisibleLines(frame);
        if (qobject_cast<QCheckBox*>(w) || qobject_cast<QRadioButton*>(w))
            faults << invisibleIndicator(static_cast<QAbstractButton*>(w));
    }

    if (auto* main = qobject_cast<QMainWindow*>(window)) {
        QMenuBar* bar = main->menuWidget() ? qobject_cast<QMenuBar*>(main->menuWidget()) : nullptr;
        if (bar && shown(bar)) {
            for (QAction* action : bar->actions()) {
                if (!action->isVisible())
                    continue;
                const QRect item = bar->actionGeometry(action);
                const QRect text = bar->fontMetrics().boundingRect(item, Qt::AlignCenter | Qt::TextShowMnemonic,
                                                                    action->text());
                if (!bar->rect().contains(item) || !item.contains(text))
                    faults << QStringLiteral("menu bar item \"%1\" does not fit (%2 in %3)")
                                  .arg(action->text(), rectText(text), rectText(item));
            }
        }
    }
    faults.removeDuplicates();
    return faults;
}

Window& openWindow(TestApp& app, const QString& name)
{
    Window* w = nullptr;
    if (name == u"frmCase")
        w = &app.windows().get<MainWindow>();
    else if (name == u"frmOptions")
        w = &app.windows().get<OptionsDialog>();
    else if (name == u"frmTraytxt")
        w = &app.windows().get<TextWindow>();
    else if (name == u"frmSplash")
        w = &app.windows().get<SplashScreen>();
    else if (name == u"frmAbout")
        w = &app.windows().get<AboutBox>();
    else
        w = &app.windows().get<CreditsWindow>();
    w->showModeless();
    // The credits hold still at their start, where every block lies below the window.
    if (auto* timer = w->findChild<QTimer*>(QStringLiteral("Timer1")))
        timer->stop();
    return *w;
}

QPalette darkScheme()
{
    QPalette p(QColor(0x3c, 0x3c, 0x3c), QColor(0x2b, 0x2b, 0x2b));
    p.setColor(QPalette::WindowText, QColor(0xee, 0xee, 0xee));
    p.setColor(QPalette::ButtonText, QColor(0xee, 0xee, 0xee));
    p.setColor(QPalette::Text, QColor(0xee, 0xee, 0xee));
    p.setColor(QPalette::Base, QColor(0x1e, 0x1e, 0x1e));
    p.setColor(QPalette::Highlight, QColor(0x3d, 0x7b, 0xd9));
    p.setColor(QPalette::HighlightedText, Qt::white);
    return p;
}

// The child: prints the desktop font it got, then one line per fault found.
int inspectAll()
{
    if (qEnvironmentVariable("TOVRIN_FIT_SCHEME") == u"dark")
        QApplication::setPalette(darkScheme());
    TestApp app;
    std::printf("font\t%s\n", qPrintable(QFontInfo(QApplication::font()).family()));
    for (const char* name : kWindows) {
        Window& w = openWindow(app, QString::fromLatin1(name));
        if (!QTest::qWaitForWindowExposed(&w))
            std::printf("%s\tnever shown\n", name);
        for (const QString& fault : inspectWindow(&w))
            std::printf("%s\t%s\n", name, qPrintable(fault));
        w.hide();
    }
    app.windows().destroyAll();
    return 0;
}

} // namespace

// ---- the table ------------------------------------------------------------------

class TestLayoutFit : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void fits_data();
    void fits();

private:
    // Runs (once) the child for one font, scale and scheme; its output by window.
    const QMultiHash<QString, QString>& inspected(const QString& font, const QString& scale, const QString& scheme);
    QString fontConfig(const QString& font);

    QTemporaryDir m_dir;
    QHash<QString, QMultiHash<QString, QString>> m_runs;
};

void TestLayoutFit::initTestCase()
{
    QVERIFY(m_dir.isValid());
}

QString TestLayoutFit::fontConfig(const QString& font)
{
    // The row's font is put first for the generic families, before the system's own
    // preferences (which rank Noto Sans, then DejaVu Sans).
    const QString path = m_dir.filePath(QString(font).replace(QLatin1Char(' '), QLatin1Char('-')) + QStringLiteral(".conf"));
    if (QFile::exists(path))
        return path;
    QString dirs;
    for (const QString& dir : qEnvironmentVariable("TOVRIN_TEST_FONT_DIRS").split(QLatin1Char(':'), Qt::SkipEmptyParts))
        dirs += QStringLiteral("  <dir>%1</dir>\n").arg(dir.toHtmlEscaped());
    QString prefer;
    for (const char* generic : {"sans-serif", "Sans Serif", "sans"})
        prefer += QStringLiteral("  <alias binding=\"strong\"><family>%1</family><prefer><family>%2</family></prefer></alias>\n")
                      .arg(QLatin1String(generic), font);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    file.write(QStringLiteral("<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM \"fonts.dtd\">\n<fontconfig>\n%1%2"
                              "  <cachedir>%3</cachedir>\n  <include ignore_missing=\"no\">/etc/fonts/fonts.conf</include>\n"
                              "</fontconfig>\n")
                   .arg(prefer, dirs, m_dir.filePath(QStringLiteral("cache")))
                   .toUtf8());
    return path;
}

const QMultiHash<QString, QString>& TestLayoutFit::inspected(const QString& font, const QString& scale,
                                                              const QString& scheme)
{
    const QString key = font + u'|' + scale + u'|' + scheme;
    auto found = m_runs.find(key);
    if (found != m_runs.end())
        return *found;
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TOVRIN_FIT_CHILD"), QStringLiteral("1"));
    env.insert(QStringLiteral("TOVRIN_FIT_SCHEME"), scheme);
    env.insert(QStringLiteral("FONTCONFIG_FILE"), fontConfig(font));
    env.insert(QStringLiteral("QT_SCALE_FACTOR"), scale);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), {});
    QMultiHash<QString, QString> result;
    if (!child.waitForFinished(120000) || child.exitCode() != 0) {
        result.insert(QStringLiteral("*"), QStringLiteral("the inspection did not run to its end"));
    } else {
        for (const QString& line : QString::fromUtf8(child.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts))
            result.insert(line.section(u'\t', 0, 0), line.section(u'\t', 1));
    }
    return *m_runs.insert(key, result);
}

void TestLayoutFit::fits_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("font");
    QTest::addColumn<QString>("scale");
    QTest::addColumn<QString>("scheme");
    // The default sans-serif of Debian's fonts, KDE Plasma, GNOME, and the metric
    // twin of Arial.
    const char* const fonts[] = {"DejaVu Sans", "Noto Sans", "Cantarell", "Liberation Sans"};
    for (const char* window : kWindows) {
        for (const char* font : fonts) {
            for (const char* scale : {"1", "1.5", "2"})
                QTest::addRow("%s %s x%s", window, font, scale) << window << font << scale << "light";
            QTest::addRow("%s %s dark", window, font) << window << font << "1" << "dark";
        }
    }
}

void TestLayoutFit::fits()
{
    QFETCH(QString, window);
    QFETCH(QString, font);
    QFETCH(QString, scale);
    QFETCH(QString, scheme);
    const QMultiHash<QString, QString>& run = inspected(font, scale, scheme);
    QVERIFY2(!run.contains(QStringLiteral("*")), qPrintable(run.value(QStringLiteral("*"))));
    // The row means nothing unless the desktop's sans-serif really is the row's font.
    QVERIFY2(run.value(QStringLiteral("font")) == font,
             qPrintable(QStringLiteral("the desktop font is %1, not %2 (scripts/deps.sh installs the fonts)")
                            .arg(run.value(QStringLiteral("font")), font)));
    const QStringList faults = run.values(window);
    QVERIFY2(faults.isEmpty(), qPrintable(u'\n' + faults.join(u'\n')));
}

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (qEnvironmentVariableIsSet("TOVRIN_FIT_CHILD"))
        return inspectAll();
    TestLayoutFit test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_layoutfit.moc"
