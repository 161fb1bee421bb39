#include "OstrelVirorez/Model/AppSettings.hpp"
#include "Platform/Defaults/UserDefaults.hpp"

#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>

namespace {

using namespace ostrelvirorez;

class AppSettingsMigrationsTest : public testing::Test {
protected:
    testsupport::TemporaryDirectory folder;
    platform::UserDefaults defaults{folder / "defaults.json"};
    AppSettings settings{defaults};
};

TEST_F(AppSettingsMigrationsTest, FreshInstallationStoresTheDefaultListsAndKeepsTheModel) {
    settings.migrateHotkeysIfNeeded();
    settings.migrateClaudeModelIfNeeded();
    EXPECT_EQ(defaults.stringValue("virorezKeyCodesRaw"), "54");
    EXPECT_EQ(defaults.stringValue("claudeKeyCodesRaw"), "61");
    EXPECT_EQ(defaults.stringValue("clipboardKeyCodesRaw"), "62");
    EXPECT_EQ(settings.claudeModel(), "claude-sonnet-5");
    EXPECT_EQ(defaults.boolValue("claudeModelMigratedToSonnet5"), true);
}

TEST_F(AppSettingsMigrationsTest, EmptyListsTakeTheOlderKeysWhichStayUntouched) {
    defaults.set("virorezKeyCode", 56);
    defaults.set("virorezKeyCode2", 55);
    defaults.set("claudeKeyCode", 0);
    settings.migrateHotkeysIfNeeded();
    EXPECT_EQ(defaults.stringValue("virorezKeyCodesRaw"), "56,55");
    EXPECT_EQ(defaults.stringValue("claudeKeyCodesRaw"), "61");
    EXPECT_EQ(defaults.integerValue("virorezKeyCode"), 56);
    EXPECT_EQ(defaults.integerValue("virorezKeyCode2"), 55);

    defaults.set("virorezKeyCode", 0);
    defaults.set("virorezKeyCode2", 0);
    settings.setVirorezKeyCodesRaw("");
    settings.migrateHotkeysIfNeeded();
    EXPECT_EQ(defaults.stringValue("virorezKeyCodesRaw"), "54");
}

TEST_F(AppSettingsMigrationsTest, ListsThatAreSetAreLeftAlone) {
    settings.setVirorezKeyCodesRaw("none");
    settings.setClaudeKeyCodesRaw("abc");
    defaults.set("virorezKeyCode", 56);
    settings.migrateHotkeysIfNeeded();
    EXPECT_EQ(defaults.stringValue("virorezKeyCodesRaw"), "none");
    EXPECT_EQ(defaults.stringValue("claudeKeyCodesRaw"), "abc");
    EXPECT_EQ(settings.virorezKeyCodes(), std::vector<KeyCode>{});
}

TEST_F(AppSettingsMigrationsTest, RetiredModelIsReplacedOnceOnly) {
    settings.setClaudeModel("claude-sonnet-4-6");
    settings.migrateClaudeModelIfNeeded();
    EXPECT_EQ(settings.claudeModel(), "claude-sonnet-5");
    EXPECT_TRUE(settings.claudeModelMigratedToSonnet5());

    // The user picks the older model again; later launches keep it.
    settings.setClaudeModel("claude-sonnet-4-6");
    settings.migrateClaudeModelIfNeeded();
    EXPECT_EQ(settings.claudeModel(), "claude-sonnet-4-6");
}

TEST_F(AppSettingsMigrationsTest, OtherModelsAreKeptAndTheFlagIsSetAnyway) {
    settings.setClaudeModel("claude-opus-4");
    settings.migrateClaudeModelIfNeeded();
    EXPECT_EQ(settings.claudeModel(), "claude-opus-4");
    EXPECT_TRUE(settings.claudeModelMigratedToSonnet5());
}

} // namespace
