#pragma once
// The application's secrets in the keychain, one text per key name (the API
// key of the hosted model is "claudeAPIKey"), and the one-time move of that
// key out of the legacy credentials file. Nothing here throws.

#include <filesystem>
#include <optional>
#include <string>

namespace platform {
class Keychain;
}

namespace ostrelvirorez {

struct KeychainHelper {
    static constexpr const char* service = "zar.zozorudirozo.OstrelVirorez";
    static constexpr const char* apiKeyName = "claudeAPIKey";
    // Every byte of the legacy credentials file is XOR-ed with this.
    static constexpr unsigned char legacyMask = 0x5A;

    // The stored value; nothing when there is none or it cannot be read.
    static std::optional<std::string> load(const std::string& key);
    static std::optional<std::string> load(const std::string& key, platform::Keychain& keychain);

    // Stores the value in place of any earlier one; false when it could not
    // be stored, in which case the earlier value is still there.
    static bool save(const std::string& key, const std::string& value);
    static bool save(const std::string& key, const std::string& value, platform::Keychain& keychain);

    // Removes the value; true when it was removed or was not there.
    static bool deleteKey(const std::string& key);
    static bool deleteKey(const std::string& key, platform::Keychain& keychain);

    // Moves the API key from "OstrelVirorez/api_credentials" below the
    // application-support folder into the keychain, once; the file is removed
    // only after the key is stored.
    static void migrateFromFileIfNeeded();
    static void migrateFromFileIfNeeded(platform::Keychain& keychain, const std::filesystem::path& applicationSupport);
};

} // namespace ostrelvirorez
