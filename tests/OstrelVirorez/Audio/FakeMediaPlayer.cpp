#include "tests/OstrelVirorez/Audio/FakeMediaPlayer.hpp"

#include <cstring>

namespace ostrelvirorez::testing {

FakeMediaPlayer::FakeMediaPlayer(const std::string& address, const std::string& name, std::string status)
    : status_(std::move(status)) {
    dbus_threads_init_default();
    DBusError error;
    dbus_error_init(&error);
    DBusConnection* connection = dbus_connection_open_private(address.c_str(), &error);
    if (connection && dbus_bus_register(connection, &error) &&
        dbus_bus_request_name(connection, ("org.mpris.MediaPlayer2." + name).c_str(), DBUS_NAME_FLAG_DO_NOT_QUEUE,
                              &error) == DBUS_REQUEST_NAME_REPLY_PRIMARY_OWNER) {
        connection_ = connection;
        thread_ = std::jthread([this](std::stop_token stop) { serve(stop); });
    } else if (connection) {
        dbus_connection_close(connection);
        dbus_connection_unref(connection);
    }
    dbus_error_free(&error);
}

FakeMediaPlayer::~FakeMediaPlayer() {
    if (!connection_) return;
    thread_.request_stop();
    thread_.join();
    dbus_connection_close(connection_);
    dbus_connection_unref(connection_);
}

std::string FakeMediaPlayer::status() const {
    std::lock_guard guard(mutex_);
    return status_;
}

void FakeMediaPlayer::setStatus(std::string status) {
    std::lock_guard guard(mutex_);
    status_ = std::move(status);
}

std::vector<std::string> FakeMediaPlayer::calls() const {
    std::lock_guard guard(mutex_);
    return calls_;
}

void FakeMediaPlayer::serve(std::stop_token stop) {
    // The short wait only bounds how long a stop request goes unnoticed.
    while (!stop.stop_requested() && dbus_connection_read_write(connection_, 50)) {
        while (DBusMessage* message = dbus_connection_pop_message(connection_)) {
            handle(message);
            dbus_message_unref(message);
        }
    }
}

void FakeMediaPlayer::handle(DBusMessage* message) {
    if (dbus_message_get_type(message) != DBUS_MESSAGE_TYPE_METHOD_CALL) return;
    const char* member = dbus_message_get_member(message);
    const char* interface = dbus_message_get_interface(message);
    DBusMessage* reply = nullptr;
    if (interface && std::strcmp(interface, "org.freedesktop.DBus.Properties") == 0 &&
        std::strcmp(member, "Get") == 0) {
        const char* asked = nullptr;
        const char* property = nullptr;
        dbus_message_get_args(message, nullptr, DBUS_TYPE_STRING, &asked, DBUS_TYPE_STRING, &property,
                              DBUS_TYPE_INVALID);
        if (property && std::strcmp(property, "PlaybackStatus") == 0) {
            const std::string current = status();
            const char* text = current.c_str();
            reply = dbus_message_new_method_return(message);
            DBusMessageIter iterator;
            DBusMessageIter variant;
            dbus_message_iter_init_append(reply, &iterator);
            dbus_message_iter_open_container(&iterator, DBUS_TYPE_VARIANT, "s", &variant);
            dbus_message_iter_append_basic(&variant, DBUS_TYPE_STRING, &text);
            dbus_message_iter_close_container(&iterator, &variant);
        }
    } else if (interface && std::strcmp(interface, "org.mpris.MediaPlayer2.Player") == 0) {
        std::lock_guard guard(mutex_);
        calls_.emplace_back(member);
        if (std::strcmp(member, "Play") == 0) status_ = "Playing";
        if (std::strcmp(member, "Pause") == 0) status_ = "Paused";
        if (std::strcmp(member, "PlayPause") == 0) status_ = status_ == "Playing" ? "Paused" : "Playing";
        reply = dbus_message_new_method_return(message);
    }
    if (!reply) reply = dbus_message_new_error(message, DBUS_ERROR_UNKNOWN_METHOD, "not supported");
    dbus_connection_send(connection_, reply, nullptr);
    dbus_message_unref(reply);
}

} // namespace ostrelvirorez::testing
