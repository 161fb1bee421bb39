#pragma once
// A private connection to the user's session bus, closed when it goes. Calls
// on it wait a bounded time, so an unresponsive peer cannot hold the caller.

#include <dbus/dbus.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ostrelvirorez {

class SessionBusConnection {
public:
    // Null when there is no session bus.
    static std::unique_ptr<SessionBusConnection> open();

    ~SessionBusConnection();
    SessionBusConnection(const SessionBusConnection&) = delete;
    SessionBusConnection& operator=(const SessionBusConnection&) = delete;

    // The names currently owned on the bus.
    std::vector<std::string> listNames() const;
    // A string property read through org.freedesktop.DBus.Properties.Get.
    std::optional<std::string> stringProperty(const std::string& destination, const std::string& path,
                                              const std::string& interface, const std::string& property) const;
    // A method without arguments; true when it was answered without error.
    bool call(const std::string& destination, const std::string& path, const std::string& interface,
              const std::string& method) const;

    static constexpr int callTimeoutMs = 1000;

private:
    explicit SessionBusConnection(DBusConnection* connection) : connection_(connection) {}
    struct MessageReleaser {
        void operator()(DBusMessage* message) const { dbus_message_unref(message); }
    };
    using Message = std::unique_ptr<DBusMessage, MessageReleaser>;
    Message send(DBusMessage* request) const;

    DBusConnection* connection_;
};

} // namespace ostrelvirorez
