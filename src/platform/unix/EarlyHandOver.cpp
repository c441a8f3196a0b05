// The hand-over of a later start, asked straight through the bus library before Qt's
// application object exists: a keyboard shortcut's `tovrin --upper` then costs a bus
// call, not a connection to the display, a platform plugin and fonts it never uses.
#include <dbus/dbus.h>

#include <QByteArray>

#include <memory>

#include "platform/RunningCopy.h"
#include "platform/unix/DBusRunningCopy.h"

namespace platform {

namespace {

struct CloseBus {
    void operator()(DBusConnection* bus) const
    {
        dbus_connection_close(bus);
        dbus_connection_unref(bus);
    }
};
struct FreeMessage {
    void operator()(DBusMessage* message) const { dbus_message_unref(message); }
};
using Bus = std::unique_ptr<DBusConnection, CloseBus>;
using Message = std::unique_ptr<DBusMessage, FreeMessage>;

// a{sv} of strings, as DBusRunningCopy sends it.
bool appendPlatformData(DBusMessageIter* args)
{
    DBusMessageIter dict;
    if (!dbus_message_iter_open_container(args, DBUS_TYPE_ARRAY, "{sv}", &dict))
        return false;
    for (const auto& [variable, key] : kActivationVariables) {
        const QByteArray value = qgetenv(variable);
        if (value.isEmpty())
            continue;
        // The bus refuses a string that is not UTF-8; Qt's side would have replaced
        // what does not decode, so do the same.
        const QByteArray text = QString::fromUtf8(value).toUtf8();
        const char* keyText = key;
        const char* valueText = text.constData();
        DBusMessageIter entry, variant;
        if (!dbus_message_iter_open_container(&dict, DBUS_TYPE_DICT_ENTRY, nullptr, &entry)
            || !dbus_message_iter_append_basic(&entry, DBUS_TYPE_STRING, &keyText)
            || !dbus_message_iter_open_container(&entry, DBUS_TYPE_VARIANT, "s", &variant)
            || !dbus_message_iter_append_basic(&variant, DBUS_TYPE_STRING, &valueText)
            || !dbus_message_iter_close_container(&entry, &variant)
            || !dbus_message_iter_close_container(&dict, &entry))
            return false;
    }
    return dbus_message_iter_close_container(args, &dict);
}

Message makeRequest(const QString& appId, const QString& action)
{
    const QByteArray name = appId.toUtf8();
    const QByteArray path = objectPathFor(appId).toUtf8();
    Message call(dbus_message_new_method_call(name.constData(), path.constData(), kApplicationInterface,
                                              action.isEmpty() ? "Activate" : "ActivateAction"));
    if (!call)
        return {};
    // Nobody is started for it: with no copy running, this start becomes the copy.
    dbus_message_set_auto_start(call.get(), FALSE);
    DBusMessageIter args;
    dbus_message_iter_init_append(call.get(), &args);
    if (!action.isEmpty()) {
        const QByteArray actionName = action.toUtf8();
        const char* actionText = actionName.constData();
        DBusMessageIter noParameter;
        if (!dbus_message_iter_append_basic(&args, DBUS_TYPE_STRING, &actionText)
            || !dbus_message_iter_open_container(&args, DBUS_TYPE_ARRAY, "v", &noParameter)
            || !dbus_message_iter_close_container(&args, &noParameter))
            return {};
    }
    if (!appendPlatformData(&args))
        return {};
    return call;
}

} // namespace

bool handOverBeforeStart(const QString& appId, const QString& action)
{
    DBusError error;
    dbus_error_init(&error);
    // A private connection: closed here, it leaves nothing behind for Qt's own.
    const Bus bus(dbus_bus_get_private(DBUS_BUS_SESSION, &error));
    dbus_error_free(&error);
    if (!bus)
        return false;
    dbus_connection_set_exit_on_disconnect(bus.get(), FALSE);
    const Message call = makeRequest(appId, action);
    if (!call)
        return false;
    const Message reply(dbus_connection_send_with_reply_and_block(bus.get(), call.get(), kAnswerTimeoutMs, &error));
    dbus_error_free(&error);
    return reply != nullptr;
}

} // namespace platform
