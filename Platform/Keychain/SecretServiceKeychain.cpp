#include "Platform/Keychain/SecretServiceKeychain.hpp"

#include "Platform/Keychain/KeychainError.hpp"

#include <gio/gio.h>
#include <libsecret/secret.h>

#include <cstdlib>
#include <memory>

namespace platform {
namespace {

struct GErrorFree {
    void operator()(GError* error) const { g_error_free(error); }
};
struct GObjectUnref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
struct GVariantUnref {
    void operator()(GVariant* variant) const { g_variant_unref(variant); }
};
struct SecretPasswordFree {
    void operator()(gchar* password) const { secret_password_free(password); }
};

using ErrorPtr = std::unique_ptr<GError, GErrorFree>;
using ConnectionPtr = std::unique_ptr<GDBusConnection, GObjectUnref>;
using VariantPtr = std::unique_ptr<GVariant, GVariantUnref>;
using PasswordPtr = std::unique_ptr<gchar, SecretPasswordFree>;

constexpr const char* secretServiceName = "org.freedesktop.secrets";

const SecretSchema* schema() {
    static const SecretSchema value = [] {
        SecretSchema made{};
        made.name = "platform.Keychain.GenericPassword";
        made.flags = SECRET_SCHEMA_NONE;
        made.attributes[0] = {"service", SECRET_SCHEMA_ATTRIBUTE_STRING};
        made.attributes[1] = {"account", SECRET_SCHEMA_ATTRIBUTE_STRING};
        return made;
    }();
    return &value;
}

KeychainError accessFailed(GError* raw) {
    const ErrorPtr error(raw);
    return KeychainError(KeychainErrorKind::accessFailed,
                         std::string("Secret Service: ") + (error ? error->message : "unknown failure"));
}

VariantPtr callBus(GDBusConnection* connection, const char* method, GVariant* parameters, const char* replyType,
                   std::chrono::milliseconds timeout) {
    GError* raw = nullptr;
    VariantPtr reply(g_dbus_connection_call_sync(connection, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                                 "org.freedesktop.DBus", method, parameters,
                                                 G_VARIANT_TYPE(replyType), G_DBUS_CALL_FLAGS_NONE,
                                                 static_cast<gint>(timeout.count()), nullptr, &raw));
    ErrorPtr error(raw);
    return reply;
}

bool nameHasOwner(GDBusConnection* connection, std::chrono::milliseconds timeout) {
    const auto reply = callBus(connection, "NameHasOwner", g_variant_new("(s)", secretServiceName), "(b)", timeout);
    if (!reply) return false;
    gboolean owned = FALSE;
    g_variant_get(reply.get(), "(b)", &owned);
    return owned;
}

bool nameIsActivatable(GDBusConnection* connection, std::chrono::milliseconds timeout) {
    const auto reply = callBus(connection, "ListActivatableNames", nullptr, "(as)", timeout);
    if (!reply) return false;
    GVariantIter* names = nullptr;
    g_variant_get(reply.get(), "(as)", &names);
    bool found = false;
    const gchar* name = nullptr;
    while (g_variant_iter_loop(names, "&s", &name)) {
        if (g_strcmp0(name, secretServiceName) == 0) found = true;
    }
    g_variant_iter_free(names);
    return found;
}

} // namespace

bool SecretServiceKeychain::isAvailable(std::chrono::milliseconds timeout) {
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (address == nullptr || *address == '\0') return false;
    GError* raw = nullptr;
    const auto flags = static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                                         G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION);
    ConnectionPtr connection(g_dbus_connection_new_for_address_sync(address, flags, nullptr, nullptr, &raw));
    ErrorPtr error(raw);
    if (!connection) return false;
    const bool available = nameHasOwner(connection.get(), timeout) || nameIsActivatable(connection.get(), timeout);
    g_dbus_connection_close_sync(connection.get(), nullptr, nullptr);
    return available;
}

std::optional<std::string> SecretServiceKeychain::password(const std::string& service, const std::string& account) {
    GError* raw = nullptr;
    PasswordPtr secret(secret_password_lookup_sync(schema(), nullptr, &raw, "service", service.c_str(), "account",
                                                   account.c_str(), nullptr));
    if (raw != nullptr) throw accessFailed(raw);
    if (!secret) return std::nullopt;
    return std::string(secret.get());
}

void SecretServiceKeychain::setPassword(const std::string& service, const std::string& account,
                                        const std::string& value) {
    if (!g_utf8_validate(value.data(), static_cast<gssize>(value.size()), nullptr) ||
        value.find('\0') != std::string::npos) {
        throw KeychainError(KeychainErrorKind::invalidValue, "The secret is not UTF-8 text");
    }
    const std::string label = service + " (" + account + ")";
    GError* raw = nullptr;
    // Storing with the same attributes replaces the earlier item in place.
    const gboolean stored = secret_password_store_sync(schema(), SECRET_COLLECTION_DEFAULT, label.c_str(),
                                                       value.c_str(), nullptr, &raw, "service", service.c_str(),
                                                       "account", account.c_str(), nullptr);
    if (!stored || raw != nullptr) throw accessFailed(raw);
}

bool SecretServiceKeychain::removePassword(const std::string& service, const std::string& account) {
    GError* raw = nullptr;
    const gboolean removed = secret_password_clear_sync(schema(), nullptr, &raw, "service", service.c_str(),
                                                        "account", account.c_str(), nullptr);
    if (raw != nullptr) throw accessFailed(raw);
    return removed;
}

} // namespace platform
