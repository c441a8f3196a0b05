#include "platform/unix/EarlyHandOver.h"

#include <dbus/dbus.h>
#include <dlfcn.h>
#include <sys/stat.h>

#include <cstdlib>
#include <memory>

namespace platform {

namespace {

// The bus library is loaded only for a hand-over. Linked to the `tovrin` command, it and
// what it pulls in would stand before Qt in every symbol lookup of a start that goes on
// to load the program: about 7 M instructions more before the first paint.
#define TOVRIN_BUS_CALLS(X) X(bus_get_private) X(connection_close) X(connection_send_with_reply_and_block) \
    X(connection_set_exit_on_disconnect) X(connection_unref) X(error_free) X(error_init) \
    X(message_iter_append_basic) X(message_iter_close_container) X(message_iter_init_append) \
    X(message_iter_open_container) X(message_new_method_call) X(message_set_auto_start) X(message_unref) \
    X(validate_bus_name) X(validate_path) X(validate_utf8)

struct BusLibrary {
#define TOVRIN_BUS_CALL(name) decltype(&::dbus_##name) name = nullptr;
    TOVRIN_BUS_CALLS(TOVRIN_BUS_CALL)
#undef TOVRIN_BUS_CALL
    bool loaded = false;

    BusLibrary()
    {
        void* library = ::dlopen("libdbus-1.so.3", RTLD_LAZY | RTLD_LOCAL);
        if (!library)
            return;
        loaded = true;
#define TOVRIN_BUS_CALL(name) \
    loaded = loaded && (name = reinterpret_cast<decltype(name)>(::dlsym(library, "dbus_" #name)));
        TOVRIN_BUS_CALLS(TOVRIN_BUS_CALL)
#undef TOVRIN_BUS_CALL
    }
};

const BusLibrary& busLibrary()
{
    static const BusLibrary library;
    return library;
}

struct CloseBus {
    void operator()(DBusConnection* connection) const
    {
        busLibrary().connection_close(connection);
        busLibrary().connection_unref(connection);
    }
};
struct FreeMessage {
    void operator()(DBusMessage* message) const { busLibrary().message_unref(message); }
};
using Bus = std::unique_ptr<DBusConnection, CloseBus>;
using Message = std::unique_ptr<DBusMessage, FreeMessage>;

// a{sv} of strings, as DBusRunningCopy sends it.
bool appendPlatformData(DBusMessageIter* args)
{
    DBusMessageIter dict;
    if (!busLibrary().message_iter_open_container(args, DBUS_TYPE_ARRAY, "{sv}", &dict))
        return false;
    for (const auto& [variable, key] : kActivationVariables) {
        const char* value = std::getenv(variable);
        // The bus refuses a string that is not UTF-8, and a token that was mangled
        // proves nothing: such a value is left out.
        if (!value || !*value || !busLibrary().validate_utf8(value, nullptr))
            continue;
        const char* keyText = key;
        DBusMessageIter entry, variant;
        if (!busLibrary().message_iter_open_container(&dict, DBUS_TYPE_DICT_ENTRY, nullptr, &entry)
            || !busLibrary().message_iter_append_basic(&entry, DBUS_TYPE_STRING, &keyText)
            || !busLibrary().message_iter_open_container(&entry, DBUS_TYPE_VARIANT, "s", &variant)
            || !busLibrary().message_iter_append_basic(&variant, DBUS_TYPE_STRING, &value)
            || !busLibrary().message_iter_close_container(&entry, &variant)
            || !busLibrary().message_iter_close_container(&dict, &entry))
            return false;
    }
    return busLibrary().message_iter_close_container(args, &dict);
}

Message makeRequest(const std::string& appId, const std::string& action)
{
    const std::string path = busObjectPath(appId);
    if (!busLibrary().validate_bus_name(appId.c_str(), nullptr) || !busLibrary().validate_path(path.c_str(), nullptr)
        || !busLibrary().validate_utf8(action.c_str(), nullptr))
        return {};
    Message call(busLibrary().message_new_method_call(appId.c_str(), path.c_str(), kApplicationInterface,
                                              action.empty() ? "Activate" : "ActivateAction"));
    if (!call)
        return {};
    // Nobody is started for it: with no copy running, this start becomes the copy.
    busLibrary().message_set_auto_start(call.get(), FALSE);
    DBusMessageIter args;
    busLibrary().message_iter_init_append(call.get(), &args);
    if (!action.empty()) {
        const char* actionText = action.c_str();
        DBusMessageIter noParameter;
        if (!busLibrary().message_iter_append_basic(&args, DBUS_TYPE_STRING, &actionText)
            || !busLibrary().message_iter_open_container(&args, DBUS_TYPE_ARRAY, "v", &noParameter)
            || !busLibrary().message_iter_close_container(&args, &noParameter))
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
    if (!busLibrary().loaded)
        return false;
    DBusError error;
    busLibrary().error_init(&error);
    // A private connection: closed here, it leaves nothing behind for a later one.
    const Bus bus(busLibrary().bus_get_private(DBUS_BUS_SESSION, &error));
    busLibrary().error_free(&error);
    if (!bus)
        return false;
    busLibrary().connection_set_exit_on_disconnect(bus.get(), FALSE);
    const Message call = makeRequest(appId, action);
    if (!call)
        return false;
    const Message reply(busLibrary().connection_send_with_reply_and_block(bus.get(), call.get(), kAnswerTimeoutMs, &error));
    busLibrary().error_free(&error);
    return reply != nullptr;
}

} // namespace platform
