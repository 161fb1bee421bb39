#include "OstrelDesignKit/Tokens/Color.hpp"
#include "OstrelVirorez/UI/Rewriting/ApiCompactSectionModel.hpp"
#include "OstrelVirorez/UI/SettingsRows/VirorezColors.hpp"
#include "tests/OstrelVirorez/UI/Rewriting/RewritingFixture.hpp"

#include <gtest/gtest.h>

namespace ostrelvirorez::testing::rewritingtab {
namespace {

std::size_t scalarCount(const std::string& text) {
    std::size_t count = 0;
    for (const unsigned char byte : text) count += (byte & 0xC0) != 0x80;
    return count;
}

class ApiCompactSectionModelTest : public RewritingFixture {
protected:
    ApiCompactSectionModel model{settings, keychain, apiKeyAccount, onDeviceModel};
};

TEST_F(ApiCompactSectionModelTest, FirstStartWithoutKeyShowsAnEmptyMaskedFieldThatCannotBeSaved) {
    model.appear();
    EXPECT_EQ(model.apiKey(), "");
    EXPECT_FALSE(model.showKey());
    EXPECT_EQ(model.revealSymbol(), "eye");
    EXPECT_EQ(model.keyStatusColor(), VirorezColors::warning());
    EXPECT_FALSE(model.canSave());
    EXPECT_EQ(model.saveSymbolColor(), ostreldesignkit::Color::ostrelTextSecondary());
    EXPECT_FALSE(model.save());
    EXPECT_TRUE(keychain.items.empty());
    EXPECT_FALSE(model.saveError());
}

TEST_F(ApiCompactSectionModelTest, TypedKeyIsStoredOnlyBySaveAndTheDotFollowsTheKeychain) {
    model.appear();
    model.setApiKey("sk-ant-abc");
    EXPECT_TRUE(model.canSave());
    EXPECT_EQ(model.saveSymbolColor(), VirorezColors::success());
    EXPECT_EQ(model.keyStatusColor(), VirorezColors::warning()); // nothing stored yet
    EXPECT_EQ(storedKey(), std::nullopt);

    EXPECT_TRUE(model.save());
    EXPECT_EQ(storedKey(), "sk-ant-abc");
    EXPECT_EQ(model.keyStatusColor(), VirorezColors::success());

    // Clearing the field stores nothing and keeps the dot green.
    model.setApiKey("");
    EXPECT_FALSE(model.canSave());
    EXPECT_FALSE(model.save());
    EXPECT_EQ(storedKey(), "sk-ant-abc");
    EXPECT_EQ(model.keyStatusColor(), VirorezColors::success());

    // The next time the tab appears the field holds the stored key.
    ApiCompactSectionModel again(settings, keychain, apiKeyAccount, onDeviceModel);
    again.appear();
    EXPECT_EQ(again.apiKey(), "sk-ant-abc");
}

TEST_F(ApiCompactSectionModelTest, KeyIsSavedWithoutSurroundingBlanksButWithInnerOnes) {
    struct Case {
        const char* name;
        std::string typed;
        std::optional<std::string> stored;
    };
    const Case cases[] = {
        {"plain", "sk-ant-1", "sk-ant-1"},
        {"pasted with a line break", "sk-ant-2\n", "sk-ant-2"},
        {"blanks and tabs around", "  \tsk-ant-3 ", "sk-ant-3"},
        {"no-break space around", "\u00A0sk-ant-4\u00A0", "sk-ant-4"},
        {"inner blank kept", " sk ant 5 ", "sk ant 5"},
        {"only blanks", " \n\t ", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        keychain.items.clear();
        model.setApiKey(c.typed);
        EXPECT_EQ(model.canSave(), c.stored.has_value());
        EXPECT_EQ(model.save(), c.stored.has_value());
        EXPECT_EQ(storedKey(), c.stored);
        // After a save the field shows what was stored.
        EXPECT_EQ(model.apiKey(), c.stored.value_or(c.typed));
    }
}

TEST_F(ApiCompactSectionModelTest, FailedSaveIsReportedAndKeepsFieldAndStoredKey) {
    keychain.items[{service, apiKeyAccount}] = "old";
    model.appear();
    int changes = 0;
    const auto connection = model.changed().connect([&] { ++changes; });
    keychain.failWrites = true;
    model.setApiKey(" new ");
    EXPECT_FALSE(model.save());
    EXPECT_EQ(model.saveError(), ApiCompactSectionModel::saveFailedMessage());
    EXPECT_EQ(model.apiKey(), " new ");
    EXPECT_EQ(storedKey(), "old");
    EXPECT_EQ(model.keyStatusColor(), VirorezColors::success());
    EXPECT_EQ(changes, 2);

    keychain.failWrites = false;
    EXPECT_TRUE(model.save());
    EXPECT_FALSE(model.saveError());
    EXPECT_EQ(storedKey(), "new");
}

TEST_F(ApiCompactSectionModelTest, UnreadableKeychainStartsEmptyWithTheWarningDot) {
    keychain.items[{service, apiKeyAccount}] = "stored";
    keychain.failReads = true;
    model.appear();
    EXPECT_EQ(model.apiKey(), "");
    EXPECT_EQ(model.keyStatusColor(), VirorezColors::warning());

    // An empty stored key counts as none.
    keychain.failReads = false;
    keychain.items[{service, apiKeyAccount}] = "";
    EXPECT_EQ(model.keyStatusColor(), VirorezColors::warning());
}

TEST_F(ApiCompactSectionModelTest, RevealFlipsBetweenMaskedAndPlain) {
    model.toggleShowKey();
    EXPECT_TRUE(model.showKey());
    EXPECT_EQ(model.revealSymbol(), "eye.slash");
    model.toggleShowKey();
    EXPECT_FALSE(model.showKey());
    EXPECT_EQ(model.revealSymbol(), "eye");
}

TEST_F(ApiCompactSectionModelTest, ModelAndBacktrackWriteThroughAndAStrangeModelIdIsLeftAlone) {
    EXPECT_EQ(model.claudeModel(), "claude-sonnet-5");
    model.setClaudeModel("claude-haiku-4-5-20251001");
    EXPECT_EQ(defaults.stringValue("claudeModel"), "claude-haiku-4-5-20251001");
    model.setBacktrackEnabled(true);
    EXPECT_EQ(defaults.boolValue("backtrackEnabled"), true);

    settings.setClaudeModel("claude-opus-custom");
    ApiCompactSectionModel again(settings, keychain, apiKeyAccount, onDeviceModel);
    again.appear();
    EXPECT_EQ(again.claudeModel(), "claude-opus-custom");
    EXPECT_EQ(defaults.stringValue("claudeModel"), "claude-opus-custom");

    std::vector<std::string> ids;
    for (const auto& option : ApiCompactSectionModel::modelOptions()) ids.push_back(option.modelID);
    EXPECT_EQ(ids, (std::vector<std::string>{"claude-sonnet-5", "claude-sonnet-4-6", "claude-sonnet-4-5-20250929",
                                             "claude-haiku-4-5-20251001"}));
}

TEST_F(ApiCompactSectionModelTest, ProviderPickerFollowsTheOnDeviceModelAndTheStoredProvider) {
    struct Case {
        const char* name;
        bool available;
        RewriteProvider stored;
        bool pickerEnabled;
        bool localSelectable;
        const std::string& note;
    };
    const Case cases[] = {
        {"available, hosted", true, RewriteProvider::claude, true, true, ApiCompactSectionModel::localAvailableNote()},
        {"available, local", true, RewriteProvider::local, true, true, ApiCompactSectionModel::localAvailableNote()},
        {"unavailable, hosted", false, RewriteProvider::claude, false, false,
         ApiCompactSectionModel::localUnavailableNote()},
        {"unavailable, local stored", false, RewriteProvider::local, true, false,
         ApiCompactSectionModel::localUnavailableNote()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        onDeviceModel.available = c.available;
        settings.setRewriteProvider(c.stored);
        EXPECT_EQ(model.providerPickerEnabled(), c.pickerEnabled);
        EXPECT_EQ(model.providerSelectable(RewriteProvider::local), c.localSelectable);
        EXPECT_TRUE(model.providerSelectable(RewriteProvider::claude));
        EXPECT_EQ(model.providerNote(), c.note);
    }
}

TEST_F(ApiCompactSectionModelTest, StoredLocalProviderCanBeChangedBackWhileTheModelIsUnavailable) {
    settings.setRewriteProvider(RewriteProvider::local);
    onDeviceModel.available = false;
    model.setRewriteProvider(RewriteProvider::claude);
    EXPECT_EQ(defaults.stringValue("rewriteProvider"), "claude");
    // Going back to the unavailable on-device model is refused.
    model.setRewriteProvider(RewriteProvider::local);
    EXPECT_EQ(defaults.stringValue("rewriteProvider"), "claude");
    EXPECT_FALSE(model.providerPickerEnabled());

    onDeviceModel.available = true;
    model.setRewriteProvider(RewriteProvider::local);
    EXPECT_EQ(defaults.stringValue("rewriteProvider"), "local");
}

TEST(ApiCompactSectionTexts, NotesAndRowsReadAsWritten) {
    const auto& note = ApiCompactSectionModel::localAvailableNote();
    EXPECT_EQ(scalarCount(note), 312u);
    EXPECT_EQ(note.size(), 322u);
    EXPECT_NE(note.find("(\"ja\", \"stopp\", \"kannst du...\") antwortet"), std::string::npos);
    EXPECT_EQ(ApiCompactSectionModel::localUnavailableNote(),
              "„Lokal“ braucht ein Sprachmodell auf dem Gerät, das es unter Linux nicht gibt — auf diesem Rechner nicht "
              "verfügbar.");
    const auto& providers = ApiCompactSectionModel::providerOptions();
    ASSERT_EQ(providers.size(), 2u);
    EXPECT_EQ(providers[0].provider, RewriteProvider::claude);
    EXPECT_EQ(providers[0].label, "Claude (Cloud)");
    EXPECT_EQ(providers[1].label, "Lokal (Apple Intelligence)");
    EXPECT_EQ(ApiCompactSectionModel::modelOptions().front().label, "Sonnet 5 (empfohlen)");
}

} // namespace
} // namespace ostrelvirorez::testing::rewritingtab
