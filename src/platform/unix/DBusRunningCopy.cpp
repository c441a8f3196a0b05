#include "platform/unix/DBusRunningCopy.h"

#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QDBusError>
#include <QDBusMessage>
#include <QMetaObject>
#include <QTimer>

#include <malloc.h>

#include <utility>

namespace platform {

namespace {
const QString kInterface = QString::fromLatin1(kApplicationInterface);

// A name quoted back to an asker: a few words, however long the name it sent.
QString quoted(const QString& name)
{
    constexpr qsizetype kLongest = 64;
    return name.size() <= kLongest ? name : name.left(kLongest) + QStringLiteral("...");
}
} // namespace

// What the bus sees at the object path. Each call is answered before it is acted on:
// the request is queued for the next turn of the event loop.
class ApplicationObject final : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Application")
public:
    explicit ApplicationObject(DBusRunningCopy& owner) : QObject(&owner), m_owner(owner) {}

public slots:
    void Activate(const QVariantMap& platformData)
    {
        Q_UNUSED(platformData);
        pass(QString());
    }

    void ActivateAction(const QString& name, const QVariantList& parameter, const QVariantMap& platformData)
    {
        Q_UNUSED(platformData);
        if (!m_owner.m_actions.contains(name)) {
            refuse(QDBusError::InvalidArgs, QStringLiteral("no action named '%1'").arg(quoted(name)));
            return;
        }
        if (!parameter.isEmpty()) {
            refuse(QDBusError::InvalidArgs, QStringLiteral("the action '%1' takes no parameter").arg(name));
            return;
        }
        pass(name);
    }

    void Open(const QStringList& uris, const QVariantMap& platformData)
    {
        Q_UNUSED(uris);
        Q_UNUSED(platformData);
        refuse(QDBusError::NotSupported, QStringLiteral("Tovrin opens no files"));
    }

private:
    // A refused call may have carried any amount of data (the session bus passes up to
    // a gigabyte): once it is freed, the memory goes back to the system rather than
    // staying with the process for good.
    void refuse(QDBusError::ErrorType type, const QString& message)
    {
        sendErrorReply(type, message);
        if (m_trimPending)
            return;
        m_trimPending = true;
        QTimer::singleShot(kTrimDelayMs, this, [this] {
            m_trimPending = false;
            malloc_trim(0);
        });
    }

    void pass(const QString& action)
    {
        QMetaObject::invokeMethod(
            &m_owner, [owner = &m_owner, action] { emit owner->requested(action); }, Qt::QueuedConnection);
    }

    static constexpr int kTrimDelayMs = 200;
    DBusRunningCopy& m_owner;
    bool m_trimPending = false;
};

QString objectPathFor(const QString& appId)
{
    return QString::fromStdString(busObjectPath(appId.toStdString()));
}

DBusRunningCopy::DBusRunningCopy(QDBusConnection bus, const QString& appId, const QStringList& actions)
    : m_bus(std::move(bus)), m_name(appId), m_path(objectPathFor(appId)), m_actions(actions)
{
}

DBusRunningCopy::~DBusRunningCopy()
{
    if (m_object)
        m_bus.unregisterObject(m_path);
    if (m_owner)
        m_bus.interface()->unregisterService(m_name);
}

RunningCopy::Claim DBusRunningCopy::claim(const QString& action)
{
    if (!m_bus.isConnected()) {
        const QDBusError error = m_bus.lastError();
        m_problem = QStringLiteral("no session bus");
        if (error.isValid() && !error.message().isEmpty() && qgetenv("DBUS_SESSION_BUS_ADDRESS") != kNoBusAddress)
            m_problem += QStringLiteral(": ") + error.message();
        return Claim::NoRule;
    }
    // The object first, so that whoever sees the name can call it at once.
    if (!m_object) {
        m_object = new ApplicationObject(*this);
        if (!m_bus.registerObject(m_path, m_object, QDBusConnection::ExportAllSlots)) {
            delete m_object;
            m_object = nullptr;
            m_problem = QStringLiteral("cannot export %1 on the session bus").arg(m_path);
            return Claim::NoRule;
        }
    }
    // A copy that ends between our refused claim and our call leaves the name free:
    // claim again rather than report a copy that is gone.
    for (int attempt = 0; attempt < 3; ++attempt) {
        const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply = m_bus.interface()->registerService(
            m_name, QDBusConnectionInterface::DontQueueService, QDBusConnectionInterface::DontAllowReplacement);
        if (!reply.isValid()) {
            m_problem = reply.error().message();
            return Claim::NoRule;
        }
        if (reply.value() == QDBusConnectionInterface::ServiceRegistered) {
            m_owner = true;
            return Claim::Claimed;
        }
        const Claim handed = handOver(action);
        if (handed != Claim::NoRule)
            return handed;
    }
    return Claim::NoAnswer;
}

// NoRule here means "nobody owns the name any more".
RunningCopy::Claim DBusRunningCopy::handOver(const QString& action)
{
    QDBusMessage call = action.isEmpty()
        ? QDBusMessage::createMethodCall(m_name, m_path, kInterface, QStringLiteral("Activate"))
        : QDBusMessage::createMethodCall(m_name, m_path, kInterface, QStringLiteral("ActivateAction"));
    QVariantMap platformData;
    for (const auto& [variable, key] : kActivationVariables) {
        const QByteArray value = qgetenv(variable);
        if (!value.isEmpty())
            platformData.insert(QString::fromLatin1(key), QString::fromUtf8(value));
    }
    if (action.isEmpty())
        call << platformData;
    else
        call << action << QVariant::fromValue(QVariantList()) << platformData;
    const QDBusMessage reply = m_bus.call(call, QDBus::Block, answerTimeoutMs);
    if (reply.type() == QDBusMessage::ReplyMessage)
        return Claim::HandedOver;
    const QString error = reply.errorName();
    if (error == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown")
        || error == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner"))
        return Claim::NoRule;
    // A copy that ended while it had our call (no reply, its connection gone) has freed
    // the name as surely as one that ended before.
    const QDBusReply<bool> stillOwned = m_bus.interface()->isServiceRegistered(m_name);
    if (stillOwned.isValid() && !stillOwned.value())
        return Claim::NoRule;
    // Bus errors often end in a newline of their own.
    m_problem = (reply.errorMessage().isEmpty() ? error : reply.errorMessage()).trimmed();
    return Claim::NoAnswer;
}

std::unique_ptr<RunningCopy> makeRunningCopy(const QString& appId, const QStringList& actions)
{
    return std::make_unique<DBusRunningCopy>(QDBusConnection::sessionBus(), appId, actions);
}

} // namespace platform

#include "DBusRunningCopy.moc"
