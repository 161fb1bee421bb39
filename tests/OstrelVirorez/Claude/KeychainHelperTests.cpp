#include "OstrelVirorez/Model/KeychainHelper.hpp"
#include "Platform/Keychain/FileKeychain.hpp"
#include "Platform/Keychain/KeychainError.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace {

using ostrelvirorez::KeychainHelper;

// A keychain whose writes can be made to fail.
class UnreliableKeychain : public platform::Keychain {
public:
    explicit UnreliableKeychain(std::filesystem::path file) : inner_(std::move(file)) {}
    bool failWrites = false;

    std::optional<std::string> password(const std::string& service, const std::string& account) override {
        return inner_.password(service, account);
    }
    void setPassword(const std::string& service, const std::string& account, const std::string& value) override {
        if (failWrites) throw platform::KeychainError(platform::KeychainErrorKind::accessFailed, "refused");
        inner_.setPassword(service, account, value);
    }
    bool removePassword(const std::string& service, const std::string& account) override {
        if (failWrites) throw platform::KeychainError(platform::KeychainErrorKind::accessFailed, "refused");
        return inner_.removePassword(service, account);
    }

private:
    platform::FileKeychain inner_;
};

class KeychainHelperTest : public ::testing::Test {
protected:
    testsupport::TemporaryDirectory folder;
    UnreliableKeychain keychain{folder / "keychain.json"};

    std::filesystem::path writeLegacyFile(const std::string& plain) {
        std::string masked = plain;
        for (auto& byte : masked) byte = static_cast<char>(static_cast<unsigned char>(byte) ^ KeychainHelper::legacyMask);
        return folder.write("Support/OstrelVirorez/api_credentials", masked);
    }
    void migrate() { KeychainHelper::migrateFromFileIfNeeded(keychain, folder / "Support"); }
};

TEST_F(KeychainHelperTest, SaveLoadAndDeleteOneValuePerKey) {
    EXPECT_EQ(KeychainHelper::load("claudeAPIKey", keychain), std::nullopt);
    EXPECT_TRUE(KeychainHelper::deleteKey("claudeAPIKey", keychain));

    EXPECT_TRUE(KeychainHelper::save("claudeAPIKey", "sk-ant-Ünïcödé", keychain));
    EXPECT_TRUE(KeychainHelper::save("claudeAPIKey", "second", keychain));
    EXPECT_TRUE(KeychainHelper::save("emptyKey", "", keychain));
    EXPECT_EQ(KeychainHelper::load("claudeAPIKey", keychain), "second");
    EXPECT_EQ(KeychainHelper::load("emptyKey", keychain), "");

    // One item per key, under the application's service.
    const auto stored = nlohmann::json::parse(folder.read("keychain.json"));
    EXPECT_EQ(stored, (nlohmann::json{{"zar.zozorudirozo.OstrelVirorez", {{"claudeAPIKey", "second"}, {"emptyKey", ""}}}}));

    EXPECT_TRUE(KeychainHelper::deleteKey("claudeAPIKey", keychain));
    EXPECT_EQ(KeychainHelper::load("claudeAPIKey", keychain), std::nullopt);
}

TEST_F(KeychainHelperTest, FailedSaveKeepsTheEarlierKey) {
    ASSERT_TRUE(KeychainHelper::save("claudeAPIKey", "old", keychain));
    keychain.failWrites = true;
    EXPECT_FALSE(KeychainHelper::save("claudeAPIKey", "new", keychain));
    EXPECT_FALSE(KeychainHelper::deleteKey("claudeAPIKey", keychain));
    EXPECT_EQ(KeychainHelper::load("claudeAPIKey", keychain), "old");

    keychain.failWrites = false;
    EXPECT_FALSE(KeychainHelper::save("claudeAPIKey", std::string("\xc3", 1), keychain));
    EXPECT_EQ(KeychainHelper::load("claudeAPIKey", keychain), "old");
}

TEST_F(KeychainHelperTest, UnreadableKeychainLooksLikeAMissingKey) {
    folder.write("keychain.json", "not json");
    EXPECT_EQ(KeychainHelper::load("claudeAPIKey", keychain), std::nullopt);
}

TEST_F(KeychainHelperTest, MigrationMovesTheLegacyKeyOnceAndRemovesTheFile) {
    const auto file = writeLegacyFile(R"({"claudeAPIKey":"sk-legacy","other":"x"})");
    migrate();
    EXPECT_EQ(KeychainHelper::load("claudeAPIKey", keychain), "sk-legacy");
    EXPECT_FALSE(std::filesystem::exists(file));

    // A later legacy file is ignored once the keychain holds the key.
    writeLegacyFile(R"({"claudeAPIKey":"sk-newer"})");
    migrate();
    EXPECT_EQ(KeychainHelper::load("claudeAPIKey", keychain), "sk-legacy");
    EXPECT_TRUE(std::filesystem::exists(file));
}

TEST_F(KeychainHelperTest, MigrationKeepsTheFileWhenThereIsNothingToMoveOrTheSaveFails) {
    const struct {
        const char* name;
        std::string content;
        bool masked;
    } cases[] = {
        {"empty key", R"({"claudeAPIKey":""})", true},
        {"no key", R"({"other":"x"})", true},
        {"empty object", "{}", true},
        {"not masked", R"({"claudeAPIKey":"sk"})", false},
        {"not strings", R"({"claudeAPIKey":5})", true},
    };
    for (const auto& entry : cases) {
        SCOPED_TRACE(entry.name);
        const auto file = entry.masked ? writeLegacyFile(entry.content)
                                       : folder.write("Support/OstrelVirorez/api_credentials", entry.content);
        migrate();
        EXPECT_EQ(KeychainHelper::load("claudeAPIKey", keychain), std::nullopt);
        EXPECT_TRUE(std::filesystem::exists(file));
    }

    const auto file = writeLegacyFile(R"({"claudeAPIKey":"sk-legacy"})");
    keychain.failWrites = true;
    migrate();
    EXPECT_TRUE(std::filesystem::exists(file));
    keychain.failWrites = false;
    migrate();
    EXPECT_EQ(KeychainHelper::load("claudeAPIKey", keychain), "sk-legacy");
    EXPECT_FALSE(std::filesystem::exists(file));
}

TEST_F(KeychainHelperTest, MigrationWithoutLegacyFileDoesNothing) {
    migrate();
    EXPECT_EQ(KeychainHelper::load("claudeAPIKey", keychain), std::nullopt);
    EXPECT_FALSE(std::filesystem::exists(folder / "keychain.json"));
}

} // namespace
