#include <QAction>
#include <QMenu>
#include <QSignalSpy>
#include <QtTest>

#include "platform/unix/DBusMenu.h"
#include "support/PrivateBus.h"

using platform::DBusMenuExport;
using platform::DBusMenuEventList;
using platform::DBusMenuItem;

namespace {

// "label" per entry, "-" for a separator, children indented, as a panel would draw it.
QStringList drawn(const DBusMenuItem& item, int depth = 0)
{
    QStringList lines;
    for (const DBusMenuItem& child : item.children) {
        QString line = child.properties.value(QStringLiteral("type")).toString() == QLatin1String("separator")
                           ? QStringLiteral("-")
                           : child.properties.value(QStringLiteral("label")).toString();
        if (!child.properties.value(QStringLiteral("visible"), true).toBool())
            line += QStringLiteral(" (hidden)");
        if (!child.properties.value(QStringLiteral("enabled"), true).toBool())
            line += QStringLiteral(" (disabled)");
        lines << QString(depth * 2, QLatin1Char(' ')) + line;
        lines << drawn(child, depth + 1);
    }
    return lines;
}

int idOf(const DBusMenuItem& item, const QString& label)
{
    for (const DBusMenuItem& child : item.children) {
        if (child.properties.value(QStringLiteral("label")).toString() == label)
            return child.id;
        if (int id = idOf(child, label))
            return id;
    }
    return 0;
}

// An answer as one line: the error's name, or the reply's values (variants opened,
// structures and lists by their signature).
QString answerOf(const QDBusMessage& reply)
{
    if (reply.type() != QDBusMessage::ReplyMessage)
        return reply.errorName();
    QStringList values;
    for (QVariant value : reply.arguments()) {
        if (value.canConvert<QDBusVariant>())
            value = qvariant_cast<QDBusVariant>(value).variant();
        values << (value.canConvert<QDBusArgument>() ? qvariant_cast<QDBusArgument>(value).currentSignature() : value.toString());
    }
    return values.join(QLatin1Char(' '));
}

} // namespace

class TestDBusMenu : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void label_data();
    void label();
    void layoutAsDrawn();
    void idsStayAndAreUnique();
    void depthAndPropertyNames();
    void clickedTriggersAfterReply_data();
    void clickedTriggersAfterReply();
    void eventGroupReportsUnknownIds();
    void callsAsPanelsMake_data();
    void callsAsPanelsMake();

private:
    // One menu on a private bus for the calls a panel makes.
    PrivateBus m_bus;
    QMenu m_busMenu;
    std::unique_ptr<DBusMenuExport> m_busExport;
    QString m_program;

    std::unique_ptr<QMenu> m_menu;
    QAction* m_exit = nullptr;
    QAction* m_about = nullptr;
    QAction* m_hidden = nullptr;
    QAction* m_disabled = nullptr;
};

void TestDBusMenu::initTestCase()
{
    QVERIFY2(m_bus.isRunning(), "dbus-daemon (Debian dbus-daemon) is needed");
    m_busMenu.addAction(QStringLiteral("E&xit"));
    m_busMenu.addSeparator();
    m_busMenu.addAction(QStringLiteral("&UPPERCASE"));
    m_busExport = std::make_unique<DBusMenuExport>(&m_busMenu);
    QDBusConnection program = m_bus.connect(QStringLiteral("program"));
    m_program = program.baseService();
    QVERIFY(program.registerObject(QStringLiteral("/MenuBar"), m_busExport.get(),
                                   QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals
                                       | QDBusConnection::ExportAllProperties));
}

void TestDBusMenu::init()
{
    m_menu = std::make_unique<QMenu>();
    m_exit = m_menu->addAction(QStringLiteral("E&xit"));
    m_menu->addSeparator();
    QMenu* sub = m_menu->addMenu(QStringLiteral("&Tovrin"));
    m_about = sub->addAction(QStringLiteral("&About..."));
    m_hidden = m_menu->addAction(QStringLiteral("Hidden"));
    m_hidden->setVisible(false);
    m_disabled = m_menu->addAction(QStringLiteral("rAnDOm"));
    m_disabled->setEnabled(false);
}

void TestDBusMenu::cleanup()
{
    m_menu.reset();
}

void TestDBusMenu::label_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("label");
    QTest::newRow("access key") << "E&xit" << "E_xit";
    QTest::newRow("first letter") << "&UPPERCASE" << "_UPPERCASE";
    QTest::newRow("none") << "rAnDOm" << "rAnDOm";
    QTest::newRow("literal ampersand") << "Salt && Pepper" << "Salt & Pepper";
    QTest::newRow("literal underscore") << "snake_case" << "snake__case";
    QTest::newRow("ampersand at the end") << "End&" << "End";
    QTest::newRow("escaped then key") << "A&&&B" << "A&_B";
    QTest::newRow("empty") << "" << "";
}

void TestDBusMenu::label()
{
    QFETCH(QString, text);
    QFETCH(QString, label);
    QCOMPARE(platform::dbusMenuLabel(text), label);
}

void TestDBusMenu::layoutAsDrawn()
{
    DBusMenuExport menu(m_menu.get());
    const DBusMenuItem root = menu.layout(0, -1);
    QCOMPARE(root.id, 0);
    QCOMPARE(drawn(root), (QStringList{"E_xit", "-", "_Tovrin", "  _About...", "Hidden (hidden)", "rAnDOm (disabled)"}));
    const int tovrin = idOf(root, QStringLiteral("_Tovrin"));
    QCOMPARE(menu.layout(tovrin, 0).properties.value(QStringLiteral("children-display")).toString(),
             QStringLiteral("submenu"));
}

void TestDBusMenu::idsStayAndAreUnique()
{
    DBusMenuExport menu(m_menu.get());
    const DBusMenuItem first = menu.layout(0, -1);
    const DBusMenuItem second = menu.layout(0, -1);
    QSet<int> ids;
    std::function<void(const DBusMenuItem&, const DBusMenuItem&)> compare = [&](const DBusMenuItem& a,
                                                                                const DBusMenuItem& b) {
        QCOMPARE(a.id, b.id);
        QCOMPARE(a.children.size(), b.children.size());
        for (qsizetype i = 0; i < a.children.size(); ++i) {
            QVERIFY(!ids.contains(a.children[i].id));
            ids.insert(a.children[i].id);
            QVERIFY(a.children[i].id != 0);
            compare(a.children[i], b.children[i]);
        }
    };
    compare(first, second);
    QCOMPARE(ids.size(), 6);
    QCOMPARE(menu.action(idOf(first, QStringLiteral("  _About...").trimmed())), m_about);
}

void TestDBusMenu::depthAndPropertyNames()
{
    DBusMenuExport menu(m_menu.get());
    const DBusMenuItem top = menu.layout(0, 1);
    QCOMPARE(top.children.size(), 5);
    for (const DBusMenuItem& child : top.children)
        QVERIFY(child.children.isEmpty());
    const DBusMenuItem labels = menu.layout(0, -1, {QStringLiteral("label")});
    for (const DBusMenuItem& child : labels.children) {
        for (const QString& key : child.properties.keys())
            QCOMPARE(key, QStringLiteral("label"));
    }
    QCOMPARE(menu.GetProperty(idOf(labels, QStringLiteral("E_xit")), QStringLiteral("label")).variant().toString(),
             QStringLiteral("E_xit"));
}

void TestDBusMenu::clickedTriggersAfterReply_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("event");
    QTest::addColumn<int>("exitTriggers");
    QTest::addColumn<int>("aboutTriggers");
    QTest::newRow("Exit clicked") << "E_xit" << "clicked" << 1 << 0;
    QTest::newRow("submenu entry clicked") << "_About..." << "clicked" << 0 << 1;
    QTest::newRow("hovered only") << "E_xit" << "hovered" << 0 << 0;
    QTest::newRow("disabled") << "rAnDOm" << "clicked" << 0 << 0;
}

void TestDBusMenu::clickedTriggersAfterReply()
{
    QFETCH(QString, label);
    QFETCH(QString, event);
    QFETCH(int, exitTriggers);
    QFETCH(int, aboutTriggers);
    DBusMenuExport menu(m_menu.get());
    const int id = idOf(menu.layout(0, -1), label);
    QVERIFY(id != 0);
    QSignalSpy exits(m_exit, &QAction::triggered);
    QSignalSpy abouts(m_about, &QAction::triggered);
    QSignalSpy disabled(m_disabled, &QAction::triggered);
    menu.Event(id, event, QDBusVariant(0), 0);
    // Nothing runs inside the host's call.
    QCOMPARE(exits.size() + abouts.size(), 0);
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    QCOMPARE(exits.size(), exitTriggers);
    QCOMPARE(abouts.size(), aboutTriggers);
    QCOMPARE(disabled.size(), 0);
}

void TestDBusMenu::eventGroupReportsUnknownIds()
{
    DBusMenuExport menu(m_menu.get());
    const int exit = idOf(menu.layout(0, -1), QStringLiteral("E_xit"));
    QSignalSpy exits(m_exit, &QAction::triggered);
    const QList<int> errors = menu.EventGroup({{exit, QStringLiteral("clicked"), QDBusVariant(0), 0},
                                               {999, QStringLiteral("clicked"), QDBusVariant(0), 0}});
    QCOMPARE(errors, QList<int>{999});
    QCoreApplication::processEvents();
    QCOMPARE(exits.size(), 1);
}

// The calls as xfce4-panel 4.18 and waybar 0.9.17 make them (recorded with dbus-monitor),
// and as other hosts do: each gets its answer, and a click chooses the entry.
void TestDBusMenu::callsAsPanelsMake_data()
{
    QTest::addColumn<QString>("method");
    QTest::addColumn<QVariantList>("arguments");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<int>("exits");
    const DBusMenuItem root = m_busExport->layout(0, -1);
    const int exit = idOf(root, QStringLiteral("E_xit"));
    const QVariant clicked = QVariant::fromValue(DBusMenuEventList{{exit, "clicked", QDBusVariant(0), 1374897}});
    const QVariant ids = QVariant::fromValue(QList<int>{0});
    const QStringList drawnProperties{"type", "label", "visible", "enabled", "children-display", "accessible-desc"};

    QTest::newRow("libdbusmenu layout") << "GetLayout" << QVariantList{0, -1, drawnProperties} << "1 (ia{sv}av)" << 0;
    QTest::newRow("libdbusmenu about to show") << "AboutToShowGroup" << QVariantList{ids} << "ai ai" << 0;
    QTest::newRow("libdbusmenu click") << "EventGroup" << QVariantList{clicked} << "ai" << 1;
    QTest::newRow("click unknown id")
        << "EventGroup"
        << QVariantList{QVariant::fromValue(DBusMenuEventList{{99, "clicked", QDBusVariant(0), 0}})} << "ai" << 0;
    QTest::newRow("single event click")
        << "Event" << QVariantList{exit, "clicked", QVariant::fromValue(QDBusVariant(0)), 0u} << "" << 1;
    QTest::newRow("property set") << "GetProperty" << QVariantList{exit, "label"} << "E_xit" << 0;
    QTest::newRow("property at default") << "GetProperty" << QVariantList{exit, "enabled"} << "true" << 0;
    QTest::newRow("property of unknown id")
        << "GetProperty" << QVariantList{99, "label"} << "org.freedesktop.DBus.Error.InvalidArgs" << 0;
    QTest::newRow("unknown property")
        << "GetProperty" << QVariantList{exit, "colour"} << "org.freedesktop.DBus.Error.InvalidArgs" << 0;
}

void TestDBusMenu::callsAsPanelsMake()
{
    QFETCH(QString, method);
    QFETCH(QVariantList, arguments);
    QFETCH(QString, answer);
    QFETCH(int, exits);
    QSignalSpy triggered(m_busMenu.actions().first(), &QAction::triggered);
    QDBusMessage call = QDBusMessage::createMethodCall(m_program, QStringLiteral("/MenuBar"),
                                                       QStringLiteral("com.canonical.dbusmenu"), method);
    call.setArguments(arguments);
    QCOMPARE(answerOf(m_bus.call(call, 3000)), answer);
    QCoreApplication::processEvents();
    QCOMPARE(triggered.size(), exits);
}

QTEST_MAIN(TestDBusMenu)
#include "tst_dbusmenu.moc"
