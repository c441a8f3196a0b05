#include "platform/unix/EarlyHandOver.h"

#include <dbus/dbus.h>
#include <sys/stat.h>

#include <cstdlib>
#include <memory>

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
        const char* value = std::getenv(variable);
        // The bus refuses a string that is not UTF-8, and a token that was mangled
        // proves nothing: such a value is left out.
        if (!value || !*value || !dbus_validate_utf8(value, nullptr))
            continue;
        const char* keyText = key;
        DBusMessageIter entry, variant;
        if (!dbus_message_iter_open_container(&dict, DBUS_TYPE_DICT_ENTRY, nullptr, &entry)
            || !dbus_message_iter_append_basic(&entry, DBUS_TYPE_STRING, &keyText)
            || !dbus_message_iter_open_container(&entry, DBUS_TYPE_VARIANT, "s", &variant)
            || !dbus_message_iter_append_basic(&variant, DBUS_TYPE_STRING, &value)
            || !dbus_message_iter_close_container(&entry, &variant)
            || !dbus_message_iter_close_container(&dict, &entry))
            return false;
    }
    return dbus_message_iter_close_container(args, &dict);
}

Message makeRequest(const std::string& appId, const std::string& action)
{
    const std::string path = busObjectPath(appId);
    if (!dbus_validate_bus_name(appId.c_str(), nullptr) || !dbus_validate_path(path.c_str(), nullptr)
        || !dbus_validate_utf8(action.c_str(), nullptr))
        return {};
    Message call(dbus_message_new_method_call(appId.c_str(), path.c_str(), kApplicationInterface,
                                              action.empty() ? "Activate" : "ActivateAction"));
    if (!call)
        return {};
    // Nobody is started for it: with no copy running, this start becomes the copy.
    dbus_message_set_auto_start(call.get(), FALSE);
    DBusMessageIter args;
    dbus_message_iter_init_append(call.get(), &args);
    if (!action.empty()) {
        const char* actionText = action.c_str();
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

std::string busObjectPath(const std::string& appId)
{
    std::string path = '/' + appId;
    for (char& c : path) {
        if (c == '.')
            c = '/';
    }
    return path;
}

void keepSessionBusFromLaunching()
{
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (address && *address)
        return;
    // Where the session's bus listens when its address is not handed down; the bus
    // library looks there itself, before it would start a bus.
    const char* runtimeDir = std::getenv("XDG_RUNTIME_DIR");
    struct stat bus {};
    if (runtimeDir && *runtimeDir && ::stat((std::string(runtimeDir) + "/bus").c_str(), &bus) == 0
        && S_ISSOCK(bus.st_mode))
        return;
    ::setenv("DBUS_SESSION_BUS_ADDRESS", kNoBusAddress, 1);
}

bool handOverBeforeStart(const std::string& appId, const std::string& action)
{
    DBusError error;
    dbus_error_init(&error);
    // A private connection: closed here, it leaves nothing behind for a later one.
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
