#include "Platform/Keychain/FileKeychain.hpp"
#include "Platform/Keychain/SystemKeychain.hpp"
#include "tests/Support/ScopedEnvironment.hpp"
#include "tests/Support/SecretServiceTestServer.hpp"
#include "tests/Support/SessionBusTestServer.hpp"
#include "tests/Support/TemporaryDirectory.hpp"
#include "tests/Support/TestHost.hpp"

#ifdef PLATFORM_KEYCHAIN_HAS_LIBSECRET
#include "Platform/Keychain/SecretServiceKeychain.hpp"

#include <libsecret/secret.h>
#endif

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

namespace {

TEST(SystemKeychain, WithoutASessionBusUsesAPrivateFileBelowTheDataHome) {
    testsupport::TemporaryDirectory data;
    testsupport::ScopedEnvironment environment;
    environment.set("XDG_DATA_HOME", data.path().string());
    environment.unset("DBUS_SESSION_BUS_ADDRESS");

    const auto keychain = platform::makeSystemKeychain("App");
    const auto* file = dynamic_cast<const platform::FileKeychain*>(keychain.get());
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->file(), data / "App/keychain.json");

    keychain->setPassword("service", "key", "secret");
    EXPECT_EQ(platform::FileKeychain(data / "App/keychain.json").password("service", "key"), "secret");
}

#ifdef PLATFORM_KEYCHAIN_HAS_LIBSECRET

TEST(SystemKeychain, ABusWithoutSecretServiceFallsBackToTheFile) {
    testsupport::SessionBusTestServer bus;
    REQUIRE_TEST_HOST(bus.running(), bus.failure());
    testsupport::TemporaryDirectory data;
    testsupport::ScopedEnvironment environment;
    environment.set("XDG_DATA_HOME", data.path().string());

    EXPECT_FALSE(platform::SecretServiceKeychain::isAvailable());
    const auto keychain = platform::makeSystemKeychain("App");
    EXPECT_NE(dynamic_cast<const platform::FileKeychain*>(keychain.get()), nullptr);
}

// A keyring daemon of its own on a private bus, unlocked for the tests. The
// library holds one connection to the session bus per process, so all tests
// of this suite share one service; each uses its own service names.
class SecretServiceKeychainTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { service = std::make_unique<testsupport::SecretServiceTestServer>(); }
    static void TearDownTestSuite() {
        secret_service_disconnect();
        service.reset();
    }
    void SetUp() override {
        environment.set("XDG_DATA_HOME", data.path().string());
        REQUIRE_TEST_HOST(service->running(), service->failure());
    }

    static inline std::unique_ptr<testsupport::SecretServiceTestServer> service;
    testsupport::TemporaryDirectory data;
    testsupport::ScopedEnvironment environment;
};

TEST_F(SecretServiceKeychainTest, StoresReplacesAndRemovesThroughTheService) {
    ASSERT_TRUE(platform::SecretServiceKeychain::isAvailable());
    platform::SecretServiceKeychain keychain;
    const std::string name = "platform.Keychain.test";
    EXPECT_EQ(keychain.password(name, "key"), std::nullopt);
    keychain.setPassword(name, "key", "first ✓");
    keychain.setPassword(name, "key", "second ✓");
    keychain.setPassword(name, "other", "unrelated");
    EXPECT_EQ(keychain.password(name, "key"), "second ✓");
    EXPECT_EQ(platform::SecretServiceKeychain().password(name, "key"), "second ✓");
    EXPECT_TRUE(keychain.removePassword(name, "key"));
    EXPECT_EQ(keychain.password(name, "key"), std::nullopt);
    EXPECT_FALSE(keychain.removePassword(name, "key"));
    EXPECT_EQ(keychain.password(name, "other"), "unrelated");
}

TEST_F(SecretServiceKeychainTest, TheSystemKeychainUsesTheServiceAndWritesNoFile) {
    const auto keychain = platform::makeSystemKeychain("App");
    ASSERT_NE(dynamic_cast<const platform::SecretServiceKeychain*>(keychain.get()), nullptr);
    keychain->setPassword("App", "claudeAPIKey", "sk-from-the-service");

    EXPECT_EQ(platform::SecretServiceKeychain().password("App", "claudeAPIKey"), "sk-from-the-service");
    EXPECT_FALSE(std::filesystem::exists(data / "App/keychain.json"));
}

#endif

} // namespace
