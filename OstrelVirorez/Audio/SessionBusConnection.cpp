#include "OstrelVirorez/Audio/SessionBusConnection.hpp"

#include <cstdlib>

namespace ostrelvirorez {
namespace {

struct ScopedError {
    DBusError error;
    ScopedError() { dbus_error_init(&error); }
    ~ScopedError() { dbus_error_free(&error); }
};

} // namespace

std::unique_ptr<SessionBusConnection> SessionBusConnection::open() {
    ScopedError error;
    // The address is read at every call: the library's own lookup keeps the
    // first address it saw for the life of the process.
    DBusConnection* connection = nullptr;
    if (const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS"); address && *address) {
        connection = dbus_connection_open_private(address, &error.error);
        if (connection && !dbus_bus_register(connection, &error.error)) {
            dbus_connection_close(connection);
            dbus_connection_unref(connection);
            connection = nullptr;
        }
    } else {
        connection = dbus_bus_get_private(DBUS_BUS_SESSION, &error.error);
    }
    if (!connection) return nullptr;
    dbus_connection_set_exit_on_disconnect(connection, FALSE);
    return std::unique_ptr<SessionBusConnection>(new SessionBusConnection(connection));
}

SessionBusConnection::~SessionBusConnection() {
    dbus_connection_close(connection_);
    dbus_connection_unref(connection_);
}

SessionBusConnection::Message SessionBusConnection::send(DBusMessage* request) const {
    Message owned(request);
    if (!request) return nullptr;
    ScopedError error;
    return Message(dbus_connection_send_with_reply_and_block(connection_, request, callTimeoutMs, &error.error));
}

std::vector<std::string> SessionBusConnection::listNames() const {
    std::vector<std::string> names;
    const Message reply = send(dbus_message_new_method_call("org.freedesktop.DBus", "/org/freedesktop/DBus",
                                                            "org.freedesktop.DBus", "ListNames"));
    DBusMessageIter iterator;
    if (!reply || !dbus_message_iter_init(reply.get(), &iterator) ||
        dbus_message_iter_get_arg_type(&iterator) != DBUS_TYPE_ARRAY) {
        return names;
    }
    DBusMessageIter element;
    dbus_message_iter_recurse(&iterator, &element);
    while (dbus_message_iter_get_arg_type(&element) == DBUS_TYPE_STRING) {
        const char* name = nullptr;
        dbus_message_iter_get_basic(&element, &name);
        names.emplace_back(name);
        dbus_message_iter_next(&element);
    }
    return names;
}

std::optional<std::string> SessionBusConnection::stringProperty(const std::string& destination,
                                                                 const std::string& path,
                                                                 const std::string& interface,
                                                                 const std::string& property) const {
    DBusMessage* request = dbus_message_new_method_call(destination.c_str(), path.c_str(),
                                                        "org.freedesktop.DBus.Properties", "Get");
    if (!request) return std::nullopt;
    const char* interfaceName = interface.c_str();
    const char* propertyName = property.c_str();
    dbus_message_append_args(request, DBUS_TYPE_STRING, &interfaceName, DBUS_TYPE_STRING, &propertyName,
                             DBUS_TYPE_INVALID);
    const Message reply = send(request);
    DBusMessageIter iterator;
    if (!reply || !dbus_message_iter_init(reply.get(), &iterator) ||
        dbus_message_iter_get_arg_type(&iterator) != DBUS_TYPE_VARIANT) {
        return std::nullopt;
    }
    DBusMessageIter value;
    dbus_message_iter_recurse(&iterator, &value);
    if (dbus_message_iter_get_arg_type(&value) != DBUS_TYPE_STRING) return std::nullopt;
    const char* text = nullptr;
    dbus_message_iter_get_basic(&value, &text);
    return std::string(text);
}

bool SessionBusConnection::call(const std::string& destination, const std::string& path,
                                const std::string& interface, const std::string& method) const {
    const Message reply =
        send(dbus_message_new_method_call(destination.c_str(), path.c_str(), interface.c_str(), method.c_str()));
    return reply && dbus_message_get_type(reply.get()) == DBUS_MESSAGE_TYPE_METHOD_RETURN;
}

} // namespace ostrelvirorez
