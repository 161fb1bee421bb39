#include "OstrelVirorez/Input/HotkeyManager.hpp"
#include "OstrelVirorez/UI/General/DiagnosticsModel.hpp"
#include "OstrelVirorez/UI/General/LinuxKeyNames.hpp"
#include "tests/OstrelVirorez/State/AppStateFixture.hpp"
#include "tests/OstrelVirorez/UI/General/FakeHotkeyTap.hpp"

#include <gtest/gtest.h>

namespace ostrelvirorez::testing {
namespace {

using namespace ostrelvirorez::general;

TEST(LinuxKeyNames, ModifierSymbolsBecomeTheLinuxNames) {
    struct Case {
        std::uint16_t code;
        std::string name;
    };
    const Case cases[] = {{54, "Right Super"}, {55, "Left Super"},  {61, "Right Alt"},
                          {58, "Left Alt"},    {62, "Right Control"}, {59, "Left Control"},
                          {60, "Right Shift"}, {63, "Fn"},          {80, "Caps Lock (F19)"},
                          {122, "F1"},         {0x7f, "Key 0x7F"}};
    for (const auto& c : cases) EXPECT_EQ(linuxKeyName(c.code), c.name) << c.code;
    EXPECT_EQ(linuxKeyNames({54, 80}), "Right Super / Caps Lock (F19)");
    EXPECT_EQ(linuxKeyNames({}), "");
    EXPECT_EQ(linuxKeyText("Right \u2318 DOWN"), "Right Super DOWN");
}

class DiagnosticsModelTest : public AppStateFixture {
protected:
    DiagnosticsModel& makeModel() {
        model = std::make_unique<DiagnosticsModel>(settings, *appState, ownPermissions, tap);
        return *model;
    }

    FakePermissions ownPermissions;
    FakeHotkeyTap tap;
    std::unique_ptr<DiagnosticsModel> model;
};

TEST_F(DiagnosticsModelTest, KeysAreNamedAsOnLinuxInListOrder) {
    launch();
    auto& m = makeModel();
    EXPECT_EQ(m.dictationKeys(), "Right Super");
    EXPECT_EQ(m.claudeKeys(), "Right Alt");
    settings.setVirorezKeyCodesRaw("54,80");
    EXPECT_EQ(m.dictationKeys(), "Right Super / Caps Lock (F19)");
    settings.setClaudeKeyCodesRaw("none");
    EXPECT_EQ(m.claudeKeys(), "");
}

TEST_F(DiagnosticsModelTest, AccessibilityIsAskedAfreshAndRequestedOnDemand) {
    launch();
    auto& m = makeModel();
    ownPermissions.accessibilityTrusted = false;
    EXPECT_FALSE(m.accessibilityTrusted());
    m.requestAccessibility();
    EXPECT_EQ(ownPermissions.accessibilityPrompts, 1);
    EXPECT_FALSE(m.accessibilityTrusted());
    ownPermissions.accessibilityTrusted = true;
    EXPECT_TRUE(m.accessibilityTrusted());
}

TEST_F(DiagnosticsModelTest, FollowsTheTapTheStateAndTheLastError) {
    launch();
    auto& m = makeModel();
    int changes = 0;
    const auto watch = m.changed().connect([&] { ++changes; });
    EXPECT_EQ(m.stateText(), "Idle");
    EXPECT_EQ(m.lastError(), std::nullopt);

    tap.set(false, "Right \u2318 DOWN");
    EXPECT_FALSE(m.eventTapActive());
    EXPECT_EQ(m.lastKeyEvent(), "Right Super DOWN");
    EXPECT_EQ(changes, 1);

    storeApiKey("");
    press(DictationMode::claude);
    EXPECT_EQ(m.stateText().rfind("Error: ", 0), 0u) << m.stateText();
    ASSERT_TRUE(m.lastError().has_value());
    advance(std::chrono::milliseconds(1500));
    EXPECT_EQ(m.stateText(), "Idle");
    EXPECT_TRUE(m.lastError().has_value()); // the last error stays
    EXPECT_GE(changes, 4);
}

// The application's hotkey manager is what the window's tab shows; any other
// listener reads as a tap that does not run.
TEST(HotkeyTapStatus, ReadsTheHotkeyManagerAndNothingElse) {
    platform::ManualMainQueue queue;
    struct NoTap final : KeyEventTap {
        bool enable(Handler) override { return false; }
        void disable() override {}
    };
    HotkeyManager manager(queue, std::make_unique<NoTap>());
    const auto status = HotkeyTapStatus::of(manager);
    int changes = 0;
    const auto watch = status->observe([&] { ++changes; });
    EXPECT_EQ(status->lastEventDescription(), "—");
    manager.eventTapActive.set(true);
    manager.lastEventDescription.set("F5 DOWN (F-Key)");
    EXPECT_TRUE(status->eventTapActive());
    EXPECT_EQ(status->lastEventDescription(), "F5 DOWN (F-Key)");
    EXPECT_EQ(changes, 2);

    FakeHotkeys other;
    const auto absent = HotkeyTapStatus::of(other);
    EXPECT_FALSE(absent->eventTapActive());
    EXPECT_EQ(absent->lastEventDescription(), "—");
}

} // namespace
} // namespace ostrelvirorez::testing
