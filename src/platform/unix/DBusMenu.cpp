#include "platform/unix/DBusMenu.h"

#include <QAction>
#include <QDBusMetaType>
#include <QGuiApplication>
#include <QMenu>

namespace platform {

QDBusArgument& operator<<(QDBusArgument& arg, const DBusMenuItem& item)
{
    arg.beginStructure();
    arg << item.id << item.properties;
    arg.beginArray(qMetaTypeId<QDBusVariant>());
    for (const DBusMenuItem& child : item.children)
        arg << QDBusVariant(QVariant::fromValue(child));
    arg.endArray();
    arg.endStructure();
    return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, DBusMenuItem& item)
{
    arg.beginStructure();
    arg >> item.id >> item.properties;
    item.children.clear();
    arg.beginArray();
    while (!arg.atEnd()) {
        QDBusVariant child;
        arg >> child;
        item.children.append(qdbus_cast<DBusMenuItem>(child.variant()));
    }
    arg.endArray();
    arg.endStructure();
    return arg;
}

QDBusArgument& operator<<(QDBusArgument& arg, const DBusMenuItemProperties& item)
{
    arg.beginStructure();
    arg << item.id << item.properties;
    arg.endStructure();
    return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, DBusMenuItemProperties& item)
{
    arg.beginStructure();
    arg >> item.id >> item.properties;
    arg.endStructure();
    return arg;
}

QDBusArgument& operator<<(QDBusArgument& arg, const DBusMenuEvent& event)
{
    arg.beginStructure();
    arg << event.id << event.eventId << event.data << event.timestamp;
    arg.endStructure();
    return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, DBusMenuEvent& event)
{
    arg.beginStructure();
    arg >> event.id >> event.eventId >> event.data >> event.timestamp;
    arg.endStructure();
    return arg;
}

QVariant dbusMenuDefault(const QString& property)
{
    // What a host assumes for a property an entry does not list.
    static const QVariantMap defaults{
        {QStringLiteral("type"), QStringLiteral("standard")},
        {QStringLiteral("label"), QString()},
        {QStringLiteral("enabled"), true},
        {QStringLiteral("visible"), true},
        {QStringLiteral("icon-name"), QString()},
        {QStringLiteral("icon-data"), QByteArray()},
        {QStringLiteral("shortcut"), QVariant::fromValue(QList<QStringList>())},
        {QStringLiteral("toggle-type"), QString()},
        {QStringLiteral("toggle-state"), -1},
        {QStringLiteral("children-display"), QString()},
        {QStringLiteral("disposition"), QStringLiteral("normal")},
        {QStringLiteral("accessible-desc"), QString()},
    };
    return defaults.value(property);
}

QString dbusMenuLabel(const QString& text)
{
    QString label;
    label.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('_')) {
            label += QStringLiteral("__");
        } else if (c == QLatin1Char('&')) {
            // "&&" is a literal ampersand; a lone "&" at the end marks nothing.
            if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('&')) {
                label += c;
                ++i;
            } else if (i + 1 < text.size()) {
                label += QLatin1Char('_');
            }
        } else {
            label += c;
        }
    }
    return label;
}

DBusMenuExport::DBusMenuExport(QMenu* menu, QObject* parent)
    : QObject(parent)
    , m_menu(menu)
{
    registerTypes();
}

void DBusMenuExport::registerTypes()
{
    static const bool once = [] {
        qDBusRegisterMetaType<DBusMenuItem>();
        qDBusRegisterMetaType<DBusMenuItemProperties>();
        qDBusRegisterMetaType<DBusMenuItemPropertiesList>();
        qDBusRegisterMetaType<DBusMenuEvent>();
        qDBusRegisterMetaType<DBusMenuEventList>();
        qDBusRegisterMetaType<QList<int>>();
        qDBusRegisterMetaType<QList<QStringList>>();
        return true;
    }();
    Q_UNUSED(once);
}

QString DBusMenuExport::textDirection() const
{
    return QGuiApplication::layoutDirection() == Qt::RightToLeft ? QStringLiteral("rtl") : QStringLiteral("ltr");
}

int DBusMenuExport::idOf(QAction* action)
{
    auto found = m_ids.constFind(action);
    if (found != m_ids.constEnd())
        return *found;
    const int id = m_nextId++;
    m_ids.insert(action, id);
    m_actions.insert(id, action);
    return id;
}

QAction* DBusMenuExport::action(int id) const
{
    return m_actions.value(id).data();
}

QMenu* DBusMenuExport::menuOf(int id) const
{
    if (id == 0)
        return m_menu.data();
    QAction* a = action(id);
    return a ? a->menu() : nullptr;
}

QVariantMap DBusMenuExport::propertiesOf(QAction* action, const QStringList& names) const
{
    QVariantMap p;
    if (action->isSeparator()) {
        p.insert(QStringLiteral("type"), QStringLiteral("separator"));
    } else {
        p.insert(QStringLiteral("label"), dbusMenuLabel(action->text()));
        if (action->menu())
            p.insert(QStringLiteral("children-display"), QStringLiteral("submenu"));
    }
    // Only what differs from dbusmenu's defaults (enabled, visible); Qt counts a hidden
    // action as disabled too.
    if (action->isVisible() && !action->isEnabled())
        p.insert(QStringLiteral("enabled"), false);
    if (!action->isVisible())
        p.insert(QStringLiteral("visible"), false);
    if (names.isEmpty())
        return p;
    QVariantMap chosen;
    for (const QString& name : names) {
        if (p.contains(name))
            chosen.insert(name, p.value(name));
    }
    return chosen;
}

DBusMenuItem DBusMenuExport::layout(int id, int depth, const QStringList& names)
{
    DBusMenuItem item;
    item.id = id;
    QMenu* menu = menuOf(id);
    if (id != 0) {
        if (QAction* a = action(id))
            item.properties = propertiesOf(a, names);
    } else {
        item.properties.insert(QStringLiteral("children-display"), QStringLiteral("submenu"));
    }
    if (!menu || depth == 0)
        return item;
    for (QAction* a : menu->actions())
        item.children.append(layout(idOf(a), depth < 0 ? -1 : depth - 1, names));
    return item;
}

uint DBusMenuExport::GetLayout(int parentId, int recursionDepth, const QStringList& propertyNames,
                               DBusMenuItem& layoutOut)
{
    layoutOut = layout(parentId, recursionDepth, propertyNames);
    return m_revision;
}

DBusMenuItemPropertiesList DBusMenuExport::GetGroupProperties(const QList<int>& ids, const QStringList& propertyNames)
{
    DBusMenuItemPropertiesList list;
    for (int id : ids) {
        if (QAction* a = action(id))
            list.append({id, propertiesOf(a, propertyNames)});
    }
    return list;
}

QDBusVariant DBusMenuExport::GetProperty(int id, const QString& name)
{
    QAction* a = action(id);
    if (!a && id != 0) {
        refuse(QStringLiteral("no menu item %1").arg(id));
        return QDBusVariant(QString());
    }
    const QVariantMap set = a ? propertiesOf(a, {}) : layout(0, 0).properties;
    const QVariant value = set.contains(name) ? set.value(name) : dbusMenuDefault(name);
    if (!value.isValid()) {
        refuse(QStringLiteral("no menu item property %1").arg(name));
        return QDBusVariant(QString());
    }
    return QDBusVariant(value);
}

void DBusMenuExport::refuse(const QString& why)
{
    if (calledFromDBus())
        sendErrorReply(QDBusError::InvalidArgs, why);
}

bool DBusMenuExport::handle(int id, const QString& eventId)
{
    QAction* a = action(id);
    if (!a)
        return false;
    if (eventId == QLatin1String("clicked") && a->isEnabled() && !a->menu() && !a->isSeparator()) {
        // After the reply: the chosen command may run event loops of its own.
        QMetaObject::invokeMethod(a, &QAction::trigger, Qt::QueuedConnection);
    }
    return true;
}

void DBusMenuExport::Event(int id, const QString& eventId, const QDBusVariant& data, uint timestamp)
{
    Q_UNUSED(data);
    Q_UNUSED(timestamp);
    handle(id, eventId);
}

QList<int> DBusMenuExport::EventGroup(const QList<DBusMenuEvent>& events)
{
    QList<int> errors;
    for (const DBusMenuEvent& e : events) {
        if (!handle(e.id, e.eventId))
            errors.append(e.id);
    }
    return errors;
}

bool DBusMenuExport::AboutToShow(int id)
{
    Q_UNUSED(id);
    // The menu never changes while the program runs.
    return false;
}

QList<int> DBusMenuExport::AboutToShowGroup(const QList<int>& ids, QList<int>& idErrors)
{
    for (int id : ids) {
        if (id != 0 && !action(id))
            idErrors.append(id);
    }
    return {};
}

} // namespace platform
