#pragma once

#include <QDBusArgument>
#include <QDBusContext>
#include <QDBusVariant>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QVariantMap>

class QAction;
class QMenu;

namespace platform {

// One entry of a dbusmenu layout: (ia{sv}av), children wrapped in variants.
struct DBusMenuItem {
    int id = 0;
    QVariantMap properties;
    QList<DBusMenuItem> children;
};

// The properties of one entry: (ia{sv}).
struct DBusMenuItemProperties {
    int id = 0;
    QVariantMap properties;
};

// One event of EventGroup: (isvu).
struct DBusMenuEvent {
    int id = 0;
    QString eventId;
    QDBusVariant data;
    uint timestamp = 0;
};

using DBusMenuItemPropertiesList = QList<DBusMenuItemProperties>;
using DBusMenuEventList = QList<DBusMenuEvent>;

QDBusArgument& operator<<(QDBusArgument& arg, const DBusMenuItem& item);
const QDBusArgument& operator>>(const QDBusArgument& arg, DBusMenuItem& item);
QDBusArgument& operator<<(QDBusArgument& arg, const DBusMenuItemProperties& item);
const QDBusArgument& operator>>(const QDBusArgument& arg, DBusMenuItemProperties& item);
QDBusArgument& operator<<(QDBusArgument& arg, const DBusMenuEvent& event);
const QDBusArgument& operator>>(const QDBusArgument& arg, DBusMenuEvent& event);

// The value of a property an entry leaves at its default; invalid for a name dbusmenu
// does not define.
QVariant dbusMenuDefault(const QString& property);

// dbusmenu marks the access key with "_" where Qt uses "&"; a literal "_" is doubled.
QString dbusMenuLabel(const QString& text);

// A QMenu as com.canonical.dbusmenu, for hosts that draw the menu themselves. Entries
// keep their ids for the life of the export; a chosen entry's action is triggered
// after the host's call has been answered. Every call gets an answer, a value or an
// error: a host left without one waits for its time-out.
class DBusMenuExport final : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.canonical.dbusmenu")
    Q_PROPERTY(uint Version READ version)
    Q_PROPERTY(QString TextDirection READ textDirection)
    Q_PROPERTY(QString Status READ status)
    Q_PROPERTY(QStringList IconThemePath READ iconThemePath)
public:
    explicit DBusMenuExport(QMenu* menu, QObject* parent = nullptr);

    uint version() const { return 3; }
    QString textDirection() const;
    QString status() const { return QStringLiteral("normal"); }
    QStringList iconThemePath() const { return {}; }

    // The entry and its children down to `depth` levels (-1: all); id 0 is the menu.
    DBusMenuItem layout(int id, int depth, const QStringList& names = {});
    // The action behind an id; null for the menu itself or an unknown id.
    QAction* action(int id) const;

    static void registerTypes();

public slots:
    uint GetLayout(int parentId, int recursionDepth, const QStringList& propertyNames, platform::DBusMenuItem& layout);
    platform::DBusMenuItemPropertiesList GetGroupProperties(const QList<int>& ids, const QStringList& propertyNames);
    QDBusVariant GetProperty(int id, const QString& name);
    void Event(int id, const QString& eventId, const QDBusVariant& data, uint timestamp);
    // Spelled out: QtDBus finds a slot's argument types by name, and knows no typedef.
    QList<int> EventGroup(const QList<platform::DBusMenuEvent>& events);
    bool AboutToShow(int id);
    QList<int> AboutToShowGroup(const QList<int>& ids, QList<int>& idErrors);

signals:
    void LayoutUpdated(uint revision, int parent);
    void ItemActivationRequested(int id, uint timestamp);

private:
    int idOf(QAction* action);
    QVariantMap propertiesOf(QAction* action, const QStringList& names) const;
    QMenu* menuOf(int id) const;
    // Whether the event chose an entry; false for an unknown id.
    bool handle(int id, const QString& eventId);
    // Refuses the host's call (when there is one) with InvalidArgs.
    void refuse(const QString& why);

    QPointer<QMenu> m_menu;
    QHash<QAction*, int> m_ids;
    QHash<int, QPointer<QAction>> m_actions;
    int m_nextId = 1;
    uint m_revision = 1;
};

} // namespace platform

Q_DECLARE_METATYPE(platform::DBusMenuItem)
Q_DECLARE_METATYPE(platform::DBusMenuItemProperties)
Q_DECLARE_METATYPE(platform::DBusMenuEvent)
