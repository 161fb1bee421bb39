#include "OstrelVirorez/UI/Rewriting/AppPickerModel.hpp"
#include "tests/OstrelVirorez/UI/Rewriting/RewritingFixture.hpp"
#include "tests/Support/ScopedEnvironment.hpp"

#include <gtest/gtest.h>

namespace ostrelvirorez::testing::rewritingtab {
namespace {

using Apps = std::vector<AppInfo>;

class AppPickerModelTest : public RewritingFixture {
protected:
    AppPickerModelTest() {
        catalog.running = {{"a.mail", "Mail"}, {"a.slack", "Slack"}};
        catalog.installed = {{"a.mail", "Mail"}, {"b.notes", "Notes"}, {"a.mail", "Mail"}, {"c.space", "Space Cadet"}};
    }
    std::vector<RewritingProfile> profiles =
        storeProfiles({profileNamed("Chat", {{"a.slack", "Slack"}}), profileNamed("Mine", {{"a.one", "One"}})});
    AppPickerModel model{settings, catalog, profiles[1].id};
};

TEST_F(AppPickerModelTest, ShowsTheRunningAppsUntilASearchTextIsTyped) {
    EXPECT_TRUE(model.shownApps().empty());
    model.appear();
    EXPECT_EQ(catalog.runningReads, 1);
    EXPECT_TRUE(catalog.queries.empty());
    EXPECT_EQ(model.shownApps(), catalog.running);

    // Searched as typed, blanks included; duplicates from two folders stay.
    model.setSearchText(" ");
    EXPECT_EQ(catalog.queries, (std::vector<std::string>{" "}));
    EXPECT_EQ(model.shownApps(), (Apps{{"c.space", "Space Cadet"}}));
    model.setSearchText("Mail");
    EXPECT_EQ(model.shownApps(), (Apps{{"a.mail", "Mail"}, {"a.mail", "Mail"}}));
    model.setSearchText("nothing");
    EXPECT_TRUE(model.shownApps().empty());

    // Clearing shows the running apps as loaded, without asking again.
    model.setSearchText("");
    EXPECT_TRUE(model.searchResults().empty());
    EXPECT_EQ(model.shownApps(), catalog.running);
    EXPECT_EQ(catalog.runningReads, 1);
    EXPECT_EQ(catalog.queries.size(), 3u);
}

TEST_F(AppPickerModelTest, AddingMovesTheAppFromAnyOtherProfileToTheEndOfThisOne) {
    model.appear();
    EXPECT_EQ(model.assignedProfileName("a.slack"), "Chat");
    EXPECT_EQ(model.assignedProfileName("a.mail"), std::nullopt);

    model.add({"a.slack", "Slack"});
    model.add({"a.mail", "Mail"});
    auto stored = storedProfiles();
    EXPECT_TRUE(stored[0].assignedApps.empty());
    EXPECT_EQ(stored[1].assignedApps, (Apps{{"a.one", "One"}, {"a.slack", "Slack"}, {"a.mail", "Mail"}}));
    EXPECT_EQ(model.assignedProfileName("a.slack"), "Mine");

    // Adding an app this profile holds moves it to the end, never twice.
    model.add({"a.one", "One"});
    EXPECT_EQ(storedProfiles()[1].assignedApps, (Apps{{"a.slack", "Slack"}, {"a.mail", "Mail"}, {"a.one", "One"}}));
}

TEST_F(AppPickerModelTest, AnAppListedTwiceIsLabelledWithTheLaterProfileAndAddKeepsOnlyOne) {
    auto list = settings.rewritingProfiles();
    list[0].assignedApps.push_back({"a.two", "Two"});
    list[1].assignedApps.push_back({"a.two", "Two"});
    list.push_back(profileNamed("Third"));
    settings.setRewritingProfiles(list);
    EXPECT_EQ(model.alreadyAssigned(),
              (std::map<std::string, std::string>{{"a.slack", "Chat"}, {"a.one", "Mine"}, {"a.two", "Mine"}}));

    AppPickerModel third(settings, catalog, list[2].id);
    third.add({"a.two", "Two"});
    const auto stored = storedProfiles();
    EXPECT_EQ(stored[0].assignedApps, (Apps{{"a.slack", "Slack"}}));
    EXPECT_EQ(stored[1].assignedApps, (Apps{{"a.one", "One"}}));
    EXPECT_EQ(stored[2].assignedApps, (Apps{{"a.two", "Two"}}));
}

TEST_F(AppPickerModelTest, AddingToAProfileThatIsGoneLeavesTheAppUnassigned) {
    settings.setRewritingProfiles({profiles[0]});
    model.add({"a.slack", "Slack"});
    const auto stored = storedProfiles();
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].id, profiles[0].id);
    EXPECT_TRUE(stored[0].assignedApps.empty());
    EXPECT_EQ(model.assignedProfileName("a.slack"), std::nullopt);
}

TEST_F(AppPickerModelTest, DesktopCatalogSearchesTheInstalledDesktopEntries) {
    testsupport::ScopedEnvironment environment;
    environment.set("XDG_DATA_DIRS", (folder / "system").string());
    environment.set("XDG_DATA_HOME", (folder / "home").string());
    folder.write("system/applications/org.example.Mail.desktop",
                 "[Desktop Entry]\nType=Application\nName=Mail\nIcon=mail-client\n");
    folder.write("home/applications/org.example.Hidden.desktop",
                 "[Desktop Entry]\nType=Application\nName=Hidden Mail\nNoDisplay=true\n");

    DesktopAppCatalog desktop;
    AppPickerModel picker(settings, desktop, profiles[1].id);
    picker.setSearchText("mail");
    EXPECT_EQ(picker.shownApps(), (Apps{{"org.example.Mail", "Mail"}}));
    EXPECT_EQ(picker.icon("org.example.Mail"), "mail-client");
    picker.add(picker.shownApps().front());
    EXPECT_EQ(storedProfiles()[1].assignedApps.back().bundleIdentifier, "org.example.Mail");
}

} // namespace
} // namespace ostrelvirorez::testing::rewritingtab
