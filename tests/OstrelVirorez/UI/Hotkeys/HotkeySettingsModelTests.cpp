#include "OstrelVirorez/UI/Hotkeys/HotkeySettingsModel.hpp"

#include "OstrelVirorez/Model/AppSettings.hpp"
#include "OstrelVirorez/UI/Hotkeys/HotkeyChoices.hpp"
#include "Platform/Defaults/UserDefaults.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ostrelvirorez::testing {
namespace {

using ::testing::ElementsAre;
using Kind = HotkeyGroupKind;

class HotkeySettingsModelTest : public ::testing::Test {
protected:
    std::string stored(const char* key) const { return defaults.stringValue(key).value_or("<unwritten>"); }
    bool anyListWritten() const {
        return defaults.hasWrittenValue("virorezKeyCodesRaw") || defaults.hasWrittenValue("claudeKeyCodesRaw") ||
               defaults.hasWrittenValue("clipboardKeyCodesRaw");
    }

    testsupport::TemporaryDirectory folder;
    platform::UserDefaults defaults{folder / "defaults.json"};
    AppSettings settings{defaults};
    HotkeySettingsModel model{settings};
};

TEST_F(HotkeySettingsModelTest, WithNothingStoredEachGroupHoldsItsFallbackAndNothingIsWritten) {
    EXPECT_THAT(model.codes(Kind::raw), ElementsAre(54));
    EXPECT_THAT(model.codes(Kind::claude), ElementsAre(61));
    EXPECT_THAT(model.codes(Kind::clipboard), ElementsAre(62));
    EXPECT_FALSE(model.hasDuplicateKeys());
    EXPECT_FALSE(anyListWritten());
}

TEST_F(HotkeySettingsModelTest, ALegacySingleKeyIsShownUntilTheFirstEdit) {
    defaults.set("virorezKeyCode", std::int64_t(63));
    EXPECT_THAT(model.codes(Kind::raw), ElementsAre(63));
    EXPECT_FALSE(anyListWritten());
    model.appendCode(Kind::raw);
    EXPECT_EQ(stored("virorezKeyCodesRaw"), "63,122");
}

TEST_F(HotkeySettingsModelTest, AddingTakesTheFirstAllowedKeyMissingFromThisGroupOnly) {
    model.appendCode(Kind::raw);
    EXPECT_EQ(stored("virorezKeyCodesRaw"), "54,122");
    model.appendCode(Kind::raw);
    EXPECT_EQ(stored("virorezKeyCodesRaw"), "54,122,120");

    // F1 already in the raw group does not keep the Claude group from taking it.
    model.appendCode(Kind::claude);
    EXPECT_EQ(stored("claudeKeyCodesRaw"), "61,122");
    EXPECT_TRUE(model.hasDuplicateKeys());
}

TEST_F(HotkeySettingsModelTest, AFullListGetsTheGroupsDefaultCodeAgain) {
    struct Case {
        const char* name;
        Kind kind;
        const char* key;
        const char* lastCode;
    };
    std::vector<KeyCode> all;
    for (const auto& choice : allowedHotkeys()) all.push_back(choice.code);
    for (const Case c : {Case{"raw", Kind::raw, "virorezKeyCodesRaw", "54"},
                         Case{"claude", Kind::claude, "claudeKeyCodesRaw", "61"},
                         Case{"clipboard", Kind::clipboard, "clipboardKeyCodesRaw", "62"}}) {
        SCOPED_TRACE(c.name);
        settings.setVirorezKeyCodes({});
        settings.setClaudeKeyCodes({});
        settings.setClipboardKeyCodes({});
        const std::string full = serializeKeyCodeList(all);
        defaults.set(c.key, full);
        EXPECT_FALSE(model.hasDuplicateKeys());
        model.appendCode(c.kind);
        EXPECT_EQ(stored(c.key), full + "," + c.lastCode);
        EXPECT_TRUE(model.hasDuplicateKeys());
    }
}

TEST_F(HotkeySettingsModelTest, RemovingTheOnlyKeyStoresNoneAndTheGroupStaysEmpty) {
    model.removeCode(Kind::clipboard, 0);
    EXPECT_EQ(stored("clipboardKeyCodesRaw"), "none");
    EXPECT_TRUE(model.codes(Kind::clipboard).empty());

    // A store opened afresh (the next start) reads it the same way.
    AppSettings reopened(defaults);
    EXPECT_TRUE(reopened.clipboardKeyCodes().empty());

    model.removeCode(Kind::clipboard, 0);
    model.removeCode(Kind::raw, 1);
    EXPECT_EQ(stored("clipboardKeyCodesRaw"), "none");
    EXPECT_FALSE(defaults.hasWrittenValue("virorezKeyCodesRaw")) << "an index outside the list does nothing";
}

TEST_F(HotkeySettingsModelTest, RemovingAndReplacingKeepTheOrderOfTheOthers) {
    defaults.set("virorezKeyCodesRaw", std::string("54,63,122"));
    model.removeCode(Kind::raw, 1);
    EXPECT_EQ(stored("virorezKeyCodesRaw"), "54,122");
    model.replaceCode(Kind::raw, 1, 80);
    EXPECT_EQ(stored("virorezKeyCodesRaw"), "54,80");
    model.replaceCode(Kind::raw, 2, 61);
    EXPECT_EQ(stored("virorezKeyCodesRaw"), "54,80");
}

TEST_F(HotkeySettingsModelTest, DuplicatesCountAcrossAndWithinLists) {
    struct Case {
        const char* name;
        const char* raw;
        const char* claude;
        const char* clipboard;
        bool duplicate;
    };
    const std::vector<Case> cases{
        {"distinct", "54,63", "61", "62", false},
        {"shared by two lists", "54", "54", "62", true},
        {"twice in one list", "54,54", "61", "62", true},
        {"empty lists", "none", "none", "62", false},
        {"raw and clipboard", "62", "none", "62", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        defaults.set("virorezKeyCodesRaw", std::string(c.raw));
        defaults.set("claudeKeyCodesRaw", std::string(c.claude));
        defaults.set("clipboardKeyCodesRaw", std::string(c.clipboard));
        EXPECT_EQ(model.hasDuplicateKeys(), c.duplicate);
    }
}

TEST_F(HotkeySettingsModelTest, AnUnreadableListActsAsItsFallbackUntilTheFirstEditWritesIt) {
    defaults.set("claudeKeyCodesRaw", std::string("abc,,x"));
    EXPECT_THAT(model.codes(Kind::claude), ElementsAre(61));
    EXPECT_EQ(stored("claudeKeyCodesRaw"), "abc,,x");
    model.appendCode(Kind::claude);
    EXPECT_EQ(stored("claudeKeyCodesRaw"), "61,122");
}

TEST(HotkeyChoices, OfferTwentyFiveKeysInPickerOrderUnderTheirLinuxNames) {
    std::vector<KeyCode> codes;
    for (const auto& choice : allowedHotkeys()) codes.push_back(choice.code);
    EXPECT_EQ(codes, (std::vector<KeyCode>{122, 120, 99, 118, 96, 97, 98, 100, 101, 109, 103, 111, 105,
                                           107, 113, 106, 64, 79, 90, 80, 54, 61, 60, 62, 63}));
    struct Case {
        KeyCode code;
        const char* name;
    };
    for (const Case c : {Case{122, "F1"}, Case{90, "F20"},
                         Case{80, "Caps Lock (remappt auf F19, Original-Funktion aus solange App läuft)"},
                         Case{54, "Right Super"}, Case{61, "Right Alt"}, Case{60, "Right Shift"},
                         Case{62, "Right Control"}, Case{63, "Fn"}}) {
        SCOPED_TRACE(c.name);
        const auto index = hotkeyChoiceIndex(c.code);
        ASSERT_TRUE(index.has_value());
        EXPECT_EQ(allowedHotkeys()[*index].name, QString::fromUtf8(c.name));
    }
    EXPECT_EQ(hotkeyChoiceIndex(55), std::nullopt) << "left Super is not offered";
}

TEST(HotkeySettingsModel, GroupsRowTitlesAndHintsAreTheTabsOwn) {
    const auto& groups = HotkeySettingsModel::groups();
    EXPECT_EQ(groups[0].title, QStringLiteral("Dictation Keys (Raw)"));
    EXPECT_EQ(groups[0].iconAdd, "mic.badge.plus");
    EXPECT_EQ(groups[1].title, QStringLiteral("Dictation Keys (Claude)"));
    EXPECT_EQ(groups[2].title, QStringLiteral("Clipboard Rewrite Keys"));
    EXPECT_EQ(HotkeySettingsModel::rowTitle(0), QStringLiteral("Hotkey 1"));
    EXPECT_EQ(HotkeySettingsModel::rowTitle(11), QStringLiteral("Hotkey 12"));

    const auto& hints = HotkeySettingsModel::hints();
    ASSERT_EQ(hints.size(), 7u);
    EXPECT_EQ(hints[0].symbol, "hand.tap");
    EXPECT_EQ(hints[6].symbol, "capslock");
    EXPECT_TRUE(hints[5].text.contains(QString::fromUtf8("über das \"\u2212\" entfernen"))) << "the minus sign";
    for (const auto& hint : hints) {
        SCOPED_TRACE(hint.symbol);
        EXPECT_FALSE(hint.text.contains(QStringLiteral("macOS")));
        EXPECT_FALSE(hint.text.contains(QStringLiteral("Mac-")));
        EXPECT_FALSE(hint.text.contains(QStringLiteral("Cmd")));
    }
}

} // namespace
} // namespace ostrelvirorez::testing
