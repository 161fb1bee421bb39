#pragma once
// A keychain on the freedesktop Secret Service through libsecret: one item
// per service and account, with those two as its attributes.

#include "Platform/Keychain/Keychain.hpp"

#include <chrono>
#include <string>

namespace platform {

class SecretServiceKeychain final : public Keychain {
public:
    // Whether a Secret Service owns its bus name, or can be started, on the
    // session bus named by DBUS_SESSION_BUS_ADDRESS. Answers false without
    // waiting when no session bus is named, and never waits on the bus longer
    // than `timeout` per call.
    static bool isAvailable(std::chrono::milliseconds timeout = std::chrono::milliseconds(1000));

    std::optional<std::string> password(const std::string& service, const std::string& account) override;
    void setPassword(const std::string& service, const std::string& account, const std::string& value) override;
    bool removePassword(const std::string& service, const std::string& account) override;
};

} // namespace platform
