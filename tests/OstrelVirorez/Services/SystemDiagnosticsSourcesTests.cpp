#include "OstrelVirorez/Services/SystemDiagnosticsSources.hpp"

#include "OstrelVirorez/App/GrantedPermissions.hpp"
#include "OstrelVirorez/Model/KeychainHelper.hpp"
#include "Platform/Concurrency/ManualMainQueue.hpp"
#include "Platform/Keychain/FileKeychain.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>

namespace ostrelvirorez {
namespace {

class SystemDiagnosticsSourcesTest : public ::testing::Test {
protected:
    testsupport::TemporaryDirectory folder;
    platform::FileKeychain keychain{folder / "keychain.json"};
    platform::ManualMainQueue queue;
    std::shared_ptr<ApiKeyStatus> status =
        ApiKeyStatus::make(keychain, KeychainHelper::apiKeyName, queue, [](std::function<void()> task) { task(); });
    const GrantedPermissions permissions{};
    const SystemDiagnosticsSources sources{permissions, *status};
};

TEST_F(SystemDiagnosticsSourcesTest, ReadsTheRunningProgramsNamesPermissionsAndKeyStatus) {
    EXPECT_EQ(sources.hotkeyName(54), "Right \u2318");
    EXPECT_EQ(sources.languageDisplayName("de"), "Deutsch");
    EXPECT_EQ(sources.languageDisplayName("xx"), "xx");
    EXPECT_TRUE(sources.isAccessibilityTrusted());
    EXPECT_EQ(sources.microphoneAuthorizationStatus(), 3);

    EXPECT_EQ(sources.claudeAPIKeyPresence(), ApiKeyStatus::Presence::unknown);
    status->refresh();
    queue.runUntilIdle();
    EXPECT_EQ(sources.claudeAPIKeyPresence(), ApiKeyStatus::Presence::missing);
    EXPECT_EQ(sources.claudeAPIKey(), std::nullopt);

    ASSERT_TRUE(KeychainHelper::save(KeychainHelper::apiKeyName, "sk-test", keychain));
    status->refresh();
    queue.runUntilIdle();
    EXPECT_EQ(sources.claudeAPIKeyPresence(), ApiKeyStatus::Presence::configured);
    EXPECT_EQ(sources.claudeAPIKey(), "sk-test");
}

TEST_F(SystemDiagnosticsSourcesTest, CodesOutsideTheKeyRangeAreNotTakenForOtherKeys) {
    // 65590 would wrap to 54 (right Command) in a 16-bit key code.
    EXPECT_EQ(sources.hotkeyName(65590), "Key 65590");
    EXPECT_EQ(sources.hotkeyName(-1), "Key -1");
}

} // namespace
} // namespace ostrelvirorez
