#pragma once
// The user's secrets, one text per service and account, kept outside the
// user defaults. Backed by the Secret Service when one answers on the session
// bus, otherwise by a private file (see makeSystemKeychain).

#include <optional>
#include <string>

namespace platform {

class Keychain {
public:
    virtual ~Keychain() = default;

    // The stored secret, or nullopt when there is none. Throws KeychainError
    // when the store cannot be read.
    virtual std::optional<std::string> password(const std::string& service, const std::string& account) = 0;

    // Stores the secret, replacing an earlier one of the same service and
    // account in one step: when this throws KeychainError, whatever was stored
    // before is still stored. The value must be UTF-8.
    virtual void setPassword(const std::string& service, const std::string& account, const std::string& value) = 0;

    // Removes the secret; false when there was none. Throws KeychainError.
    virtual bool removePassword(const std::string& service, const std::string& account) = 0;

    // The application's keychain, chosen on first use by makeSystemKeychain
    // for the folder "OstrelVirorez".
    static Keychain& standard();
};

} // namespace platform
