#include "Platform/Keychain/FileKeychain.hpp"
#include "Platform/Keychain/SystemKeychain.hpp"
#include "tests/Support/SessionBusTestServer.hpp"
#include "tests/Support/ScopedEnvironment.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#ifdef PLATFORM_KEYCHAIN_HAS_LIBSECRET
#include "Platform/Keychain/SecretServiceKeychain.hpp"
#endif

#include <gtest/gtest.h>

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
    if (!bus.running()) GTEST_SKIP() << "dbus-daemon could not be started";
    testsupport::TemporaryDirectory data;
    testsupport::ScopedEnvironment environment;
    environment.set("XDG_DATA_HOME", data.path().string());

    if (platform::SecretServiceKeychain::isAvailable()) GTEST_SKIP() << "a Secret Service can be activated here";
    const auto keychain = platform::makeSystemKeychain("App");
    EXPECT_NE(dynamic_cast<const platform::FileKeychain*>(keychain.get()), nullptr);
}

TEST(SecretServiceKeychain, StoresReplacesAndRemovesThroughTheService) {
    testsupport::SessionBusTestServer bus;
    if (!bus.running() || !platform::SecretServiceKeychain::isAvailable()) {
        GTEST_SKIP() << "no Secret Service available on a private session bus";
    }
    platform::SecretServiceKeychain keychain;
    const std::string service = "platform.Keychain.test";
    keychain.setPassword(service, "key", "first ✓");
    keychain.setPassword(service, "key", "second ✓");
    EXPECT_EQ(keychain.password(service, "key"), "second ✓");
    EXPECT_TRUE(keychain.removePassword(service, "key"));
    EXPECT_EQ(keychain.password(service, "key"), std::nullopt);
    EXPECT_FALSE(keychain.removePassword(service, "key"));
}

#endif

} // namespace
