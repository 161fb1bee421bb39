#include "OstrelVirorez/Model/KeychainHelper.hpp"

#include "Platform/Files/FileContents.hpp"
#include "Platform/Files/XdgDirectories.hpp"
#include "Platform/Keychain/Keychain.hpp"

#include <nlohmann/json.hpp>

#include <exception>
#include <map>
#include <system_error>

namespace ostrelvirorez {
namespace {

// The legacy file's API key; nothing when the file is absent, unreadable or
// holds no non-empty key.
std::optional<std::string> legacyAPIKey(const std::filesystem::path& file) {
    std::error_code error;
    if (!std::filesystem::exists(file, error)) return std::nullopt;
    std::string bytes;
    try {
        bytes = platform::files::readFile(file);
    } catch (const std::exception&) {
        return std::nullopt;
    }
    for (auto& byte : bytes) byte = static_cast<char>(static_cast<unsigned char>(byte) ^ KeychainHelper::legacyMask);
    std::map<std::string, std::string> entries;
    try {
        entries = nlohmann::json::parse(bytes).get<std::map<std::string, std::string>>();
    } catch (const std::exception&) {
        return std::nullopt;
    }
    const auto key = entries.find(KeychainHelper::apiKeyName);
    if (key == entries.end() || key->second.empty()) return std::nullopt;
    return key->second;
}

} // namespace

std::optional<std::string> KeychainHelper::load(const std::string& key) {
    return load(key, platform::Keychain::standard());
}

std::optional<std::string> KeychainHelper::load(const std::string& key, platform::Keychain& keychain) {
    try {
        return keychain.password(service, key);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

bool KeychainHelper::save(const std::string& key, const std::string& value) {
    return save(key, value, platform::Keychain::standard());
}

bool KeychainHelper::save(const std::string& key, const std::string& value, platform::Keychain& keychain) {
    // The keychain replaces the item in one step, so a failed save keeps the
    // earlier key instead of leaving none.
    try {
        keychain.setPassword(service, key, value);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool KeychainHelper::deleteKey(const std::string& key) {
    return deleteKey(key, platform::Keychain::standard());
}

bool KeychainHelper::deleteKey(const std::string& key, platform::Keychain& keychain) {
    try {
        keychain.removePassword(service, key);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

void KeychainHelper::migrateFromFileIfNeeded() {
    migrateFromFileIfNeeded(platform::Keychain::standard(), platform::files::dataHome());
}

void KeychainHelper::migrateFromFileIfNeeded(platform::Keychain& keychain,
                                             const std::filesystem::path& applicationSupport) {
    if (load(apiKeyName, keychain)) return;
    if (applicationSupport.empty()) return;
    const auto file = applicationSupport / "OstrelVirorez" / "api_credentials";
    const auto apiKey = legacyAPIKey(file);
    if (!apiKey) return;
    if (!save(apiKeyName, *apiKey, keychain)) return;
    std::error_code ignored;
    std::filesystem::remove(file, ignored);
}

} // namespace ostrelvirorez
