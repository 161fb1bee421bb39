#include "OstrelVirorez/UI/Settings/SettingsViewModel.hpp"

#include "OstrelVirorez/Model/AppSettings.hpp"
#include "Platform/Defaults/UserDefaults.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ostrelvirorez::testing {
namespace {

TEST(SettingsTab, SevenTabsInSidebarOrderWithTitlesSymbolsAndRawValues) {
    struct Case {
        SettingsTab tab;
        const char* raw;
        const char* title;
        const char* symbol;
    };
    const std::vector<Case> cases{
        {SettingsTab::general, "general", "General", "gearshape"},
        {SettingsTab::hotkeys, "hotkeys", "Keys", "keyboard"},
        {SettingsTab::claude, "claude", "Claude", "sparkles"},
        {SettingsTab::vocabulary, "vocabulary", "Vocabulary", "text.book.closed"},
        {SettingsTab::dictionary, "dictionary", "Dictionary", "character.book.closed"},
        {SettingsTab::snippets, "snippets", "Snippets", "scroll"},
        {SettingsTab::history, "history", "History", "clock.arrow.circlepath"},
    };
    ASSERT_EQ(allSettingsTabs.size(), cases.size());
    for (std::size_t index = 0; index < cases.size(); ++index) {
        const Case& c = cases[index];
        SCOPED_TRACE(c.raw);
        EXPECT_EQ(allSettingsTabs[index], c.tab);
        EXPECT_EQ(rawValue(c.tab), c.raw);
        EXPECT_EQ(title(c.tab), c.title);
        EXPECT_EQ(symbol(c.tab), c.symbol);
        EXPECT_EQ(settingsTabFromRawValue(c.raw), c.tab);
    }
    EXPECT_EQ(settingsTabFromRawValue("Keys"), std::nullopt);
    EXPECT_EQ(settingsTabFromRawValue(""), std::nullopt);
}

class SettingsViewModelTest : public ::testing::Test {
protected:
    SettingsViewModelTest() {
        connection = model.changed().connect([this] { ++changes; });
    }

    testsupport::TemporaryDirectory folder;
    platform::UserDefaults defaults{folder / "defaults.json"};
    AppSettings settings{defaults};
    SettingsViewModel model{settings};
    int changes = 0;
    platform::Connection connection;
};

TEST_F(SettingsViewModelTest, StartsOnGeneralWithTheSidebarShownAndThePanelClosed) {
    EXPECT_EQ(model.selectedTab(), SettingsTab::general);
    EXPECT_FALSE(model.isSidebarCollapsed());
    EXPECT_FALSE(model.isStatusPanelOpen());
    EXPECT_EQ(model.shownSheet(), std::nullopt);
}

TEST_F(SettingsViewModelTest, SelectingTheSelectedTabChangesNothing) {
    EXPECT_FALSE(model.select(SettingsTab::general));
    EXPECT_EQ(changes, 0);
    EXPECT_TRUE(model.select(SettingsTab::history));
    EXPECT_EQ(model.selectedTab(), SettingsTab::history);
    EXPECT_EQ(changes, 1);
}

TEST_F(SettingsViewModelTest, TheSidebarButtonsHelpNamesWhatItWillDo) {
    EXPECT_EQ(model.sidebarToggleHelp(), QStringLiteral("Sidebar ausblenden"));
    model.toggleSidebar();
    EXPECT_TRUE(model.isSidebarCollapsed());
    EXPECT_EQ(model.sidebarToggleHelp(), QStringLiteral("Sidebar einblenden"));
    model.toggleSidebar();
    EXPECT_EQ(model.sidebarToggleHelp(), QStringLiteral("Sidebar ausblenden"));
}

TEST_F(SettingsViewModelTest, TheStatusPanelTogglesAndItsCloseOnlyCloses) {
    model.toggleStatusPanel();
    EXPECT_TRUE(model.isStatusPanelOpen());
    model.closeStatusPanel();
    EXPECT_FALSE(model.isStatusPanelOpen());
    const int before = changes;
    model.closeStatusPanel();
    EXPECT_FALSE(model.isStatusPanelOpen());
    EXPECT_EQ(changes, before);
}

TEST_F(SettingsViewModelTest, ASheetAlreadyShownIgnoresAnotherRequestAndItsDismissalFreesIt) {
    EXPECT_TRUE(model.requestSheet(SettingsSheet::onboarding));
    EXPECT_FALSE(model.requestSheet(SettingsSheet::onboarding));
    EXPECT_EQ(model.shownSheet(), SettingsSheet::onboarding);

    // A newer sheet takes the place of the older; the older one's later
    // dismissal does not close the newer.
    EXPECT_TRUE(model.requestSheet(SettingsSheet::feedback));
    model.sheetDismissed(SettingsSheet::onboarding);
    EXPECT_EQ(model.shownSheet(), SettingsSheet::feedback);

    model.sheetDismissed(SettingsSheet::feedback);
    EXPECT_EQ(model.shownSheet(), std::nullopt);
    EXPECT_TRUE(model.requestSheet(SettingsSheet::feedback));
}

TEST_F(SettingsViewModelTest, ShellColoursFollowTheAppearanceSettings) {
    struct Case {
        const char* name;
        const char* baseHex;
        const char* sidebarHex;
        double darkness;
        double delta;
        QColor base;
        QColor sidebar;
        double sidebarOpacity;
    };
    const QColor black(Qt::black);
    const QColor base(0x0D, 0x0D, 0x0D);
    const std::vector<Case> cases{
        // A sidebar colour of its own: the window's opacity, the delta unused.
        {"own sidebar colour", "#0D0D0D", "#121212", 0.95, 0.5, base, QColor(0x12, 0x12, 0x12), 0.95},
        {"no sidebar colour", "#0D0D0D", "", 0.95, 0.25, base, base, 0.70},
        {"clamped at zero", "#0D0D0D", "", 0.3, 0.5, base, base, 0.0},
        {"unreadable sidebar colour", "#0D0D0D", "teal", 0.6, 0.5, base, base, 0.6},
        {"unreadable base colour", "nope", "", 0.8, 0.0, black, black, 0.8},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        settings.setOstrelBaseColorHex(c.baseHex);
        settings.setOstrelSidebarColorHex(c.sidebarHex);
        settings.setWindowGlassDarkness(c.darkness);
        settings.setOstrelSidebarDarknessDelta(c.delta);
        const auto colors = model.shellColors();
        EXPECT_EQ(colors.baseColor.rgb(), c.base.rgb());
        EXPECT_DOUBLE_EQ(colors.baseOpacity, c.darkness);
        EXPECT_EQ(colors.sidebarCardColor.rgb(), c.sidebar.rgb());
        EXPECT_NEAR(colors.sidebarCardOpacity, c.sidebarOpacity, 1e-12);
    }
}

TEST_F(SettingsViewModelTest, DefaultAppearanceGivesTheSidebarItsOwnColourAtTheWindowsOpacity) {
    const auto colors = model.shellColors();
    EXPECT_EQ(colors.baseColor.rgb(), QColor(0x0D, 0x0D, 0x0D).rgb());
    EXPECT_EQ(colors.sidebarCardColor.rgb(), QColor(0x12, 0x12, 0x12).rgb());
    EXPECT_DOUBLE_EQ(colors.baseOpacity, 0.95);
    EXPECT_DOUBLE_EQ(colors.sidebarCardOpacity, 0.95);
}

} // namespace
} // namespace ostrelvirorez::testing
