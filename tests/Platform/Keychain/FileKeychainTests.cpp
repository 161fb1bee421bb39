#include "Platform/Keychain/FileKeychain.hpp"
#include "Platform/Keychain/KeychainError.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

using platform::FileKeychain;
using platform::KeychainError;
using platform::KeychainErrorKind;

class FileKeychainTest : public ::testing::Test {
protected:
    testsupport::TemporaryDirectory folder;
    FileKeychain keychain{folder / "App/keychain.json"};
};

mode_t modeOf(const std::filesystem::path& path) {
    struct stat status {};
    EXPECT_EQ(::stat(path.c_str(), &status), 0);
    return status.st_mode & 0777;
}

TEST_F(FileKeychainTest, StoresReplacesAndRemovesOneSecretPerServiceAndAccount) {
    EXPECT_EQ(keychain.password("service", "key"), std::nullopt);
    EXPECT_FALSE(keychain.removePassword("service", "key"));

    keychain.setPassword("service", "key", "sk-ÄÖÜ-✓");
    keychain.setPassword("service", "other", "");
    keychain.setPassword("elsewhere", "key", "third");
    EXPECT_EQ(keychain.password("service", "key"), "sk-ÄÖÜ-✓");
    EXPECT_EQ(keychain.password("service", "other"), "");
    EXPECT_EQ(keychain.password("elsewhere", "key"), "third");

    keychain.setPassword("service", "key", "second");
    EXPECT_EQ(keychain.password("service", "key"), "second");

    EXPECT_TRUE(keychain.removePassword("service", "key"));
    EXPECT_EQ(keychain.password("service", "key"), std::nullopt);
    EXPECT_EQ(keychain.password("service", "other"), "");
    EXPECT_FALSE(keychain.removePassword("service", "key"));

    // A second instance on the same file sees the same secrets.
    FileKeychain reopened(keychain.file());
    EXPECT_EQ(reopened.password("elsewhere", "key"), "third");
}

TEST_F(FileKeychainTest, FileIsReadableByItsOwnerOnly) {
    keychain.setPassword("service", "key", "secret");
    EXPECT_EQ(modeOf(keychain.file()), 0600u);
    EXPECT_EQ(modeOf(keychain.file().parent_path()), 0700u);
}

TEST_F(FileKeychainTest, ValueThatIsNotUtf8IsRefusedAndTheOldSecretStays) {
    keychain.setPassword("service", "key", "old");
    try {
        keychain.setPassword("service", "key", std::string("\xff\xfe", 2));
        FAIL() << "expected KeychainError";
    } catch (const KeychainError& error) {
        EXPECT_EQ(error.kind(), KeychainErrorKind::invalidValue);
    }
    EXPECT_EQ(keychain.password("service", "key"), "old");
}

TEST_F(FileKeychainTest, DamagedFileIsReportedOnReadAndSetAsideBeforeTheNextWrite) {
    const auto file = folder.write("App/keychain.json", "{\"service\": {\"key\": 42}}");
    try {
        (void)keychain.password("service", "key");
        FAIL() << "expected KeychainError";
    } catch (const KeychainError& error) {
        EXPECT_EQ(error.kind(), KeychainErrorKind::damaged);
    }
    EXPECT_THROW(keychain.removePassword("service", "key"), KeychainError);

    keychain.setPassword("service", "key", "fresh");
    EXPECT_EQ(keychain.password("service", "key"), "fresh");
    EXPECT_EQ(folder.read("App/keychain.json.damaged-1"), "{\"service\": {\"key\": 42}}");
}

} // namespace
