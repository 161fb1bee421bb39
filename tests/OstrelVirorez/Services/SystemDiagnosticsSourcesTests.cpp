#include "OstrelVirorez/Services/SystemDiagnosticsSources.hpp"

#include "OstrelVirorez/App/GrantedPermissions.hpp"
#include "OstrelVirorez/Model/KeychainHelper.hpp"
#include "Platform/Keychain/FileKeychain.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>

namespace ostrelvirorez {
namespace {

TEST(SystemDiagnosticsSourcesTest, ReadsTheRunningProgramsNamesPermissionsAndKey) {
    testsupport::TemporaryDirectory folder;
    platform::FileKeychain keychain(folder / "keychain.json");
    const GrantedPermissions permissions;
    const SystemDiagnosticsSources sources(permissions, keychain);

    EXPECT_EQ(sources.hotkeyName(54), "Right \u2318");
    EXPECT_EQ(sources.languageDisplayName("de"), "Deutsch");
    EXPECT_EQ(sources.languageDisplayName("xx"), "xx");
    EXPECT_TRUE(sources.isAccessibilityTrusted());
    EXPECT_EQ(sources.microphoneAuthorizationStatus(), 3);

    EXPECT_EQ(sources.claudeAPIKey(), std::nullopt);
    ASSERT_TRUE(KeychainHelper::save(KeychainHelper::apiKeyName, "sk-test", keychain));
    EXPECT_EQ(sources.claudeAPIKey(), "sk-test");
}

TEST(SystemDiagnosticsSourcesTest, CodesOutsideTheKeyRangeAreNotTakenForOtherKeys) {
    testsupport::TemporaryDirectory folder;
    platform::FileKeychain keychain(folder / "keychain.json");
    const GrantedPermissions permissions;
    const SystemDiagnosticsSources sources(permissions, keychain);
    // 65590 would wrap to 54 (right Command) in a 16-bit key code.
    EXPECT_EQ(sources.hotkeyName(65590), "Key 65590");
    EXPECT_EQ(sources.hotkeyName(-1), "Key -1");
}

} // namespace
} // namespace ostrelvirorez
