#include "OstrelVirorez/Claude/AppPickerService.hpp"

#include "tests/OstrelVirorez/Desktop/DesktopWindows.hpp"
#include "tests/Support/ScopedEnvironment.hpp"
#include "tests/Support/TemporaryDirectory.hpp"
#include "tests/Support/XvfbServer.hpp"
#include "tests/Support/TestHost.hpp"

#include <gtest/gtest.h>
#include <unistd.h>

namespace {

using namespace ostrelvirorez;

std::string desktopFile(const std::string& name, const std::string& extra = {}) {
    return "[Desktop Entry]\nType=Application\nName=" + name + "\nExec=true\n" + extra;
}

class AppPickerServiceTest : public ::testing::Test {
protected:
    AppPickerServiceTest() {
        environment.set("XDG_DATA_DIRS", (folder / "system").string());
        environment.set("XDG_DATA_HOME", (folder / "home").string());
        folder.write("system/applications/org.example.Writer.desktop", desktopFile("Writer", "Icon=writer-icon\n"));
        folder.write("system/applications/org.example.mail.desktop", desktopFile("Post Office"));
        folder.write("system/applications/hidden-helper.desktop", desktopFile("Writer Helper", "NoDisplay=true\n"));
        folder.write("system/applications/nested/org.example.Deep.desktop", desktopFile("Writer Deep"));
        folder.write("system/applications/notes.txt", desktopFile("Writer Notes"));
        folder.write("home/applications/org.example.WRITER2.desktop", desktopFile("WRITER.desktop", "StartupWMClass=WriterWin\nIcon=/icons/w2.png\n"));
    }

    std::vector<std::string> names(const std::vector<AppInfo>& apps) {
        std::vector<std::string> result;
        for (const auto& app : apps) result.push_back(app.bundleIdentifier + "=" + app.displayName);
        return result;
    }

    testsupport::TemporaryDirectory folder;
    testsupport::ScopedEnvironment environment;
};

TEST_F(AppPickerServiceTest, SearchesNamesAndIdentifiersOfShownApplicationsIgnoringCase) {
    EXPECT_TRUE(AppPickerService::installedApps("").empty());
    EXPECT_EQ(names(AppPickerService::installedApps("writer")),
              (std::vector<std::string>{"org.example.Writer=Writer", "org.example.WRITER2=WRITER"}));
    EXPECT_EQ(names(AppPickerService::installedApps("example.mail")),
              (std::vector<std::string>{"org.example.mail=Post Office"}));
    EXPECT_TRUE(AppPickerService::installedApps("Deep").empty());
    EXPECT_TRUE(AppPickerService::installedApps("Helper").empty());
}

TEST_F(AppPickerServiceTest, IconsComeFromTheDesktopFileByIdOrWindowClass) {
    EXPECT_EQ(AppPickerService::icon("org.example.Writer"), std::optional<std::string>("writer-icon"));
    EXPECT_EQ(AppPickerService::icon("writerwin"), std::optional<std::string>("/icons/w2.png"));
    EXPECT_EQ(AppPickerService::icon("org.example.unknown"), std::nullopt);
}

TEST(AppPickerSortTest, SortsByNameIgnoringCaseAndKeepsTheOrderOfEqualNames) {
    std::vector<AppInfo> apps{{"c", "zeta"}, {"a", "Alpha"}, {"b", "alpha"}, {"d", "Beta"}};
    AppPickerService::sortByName(apps);
    EXPECT_EQ(apps, (std::vector<AppInfo>{{"a", "Alpha"}, {"b", "alpha"}, {"d", "Beta"}, {"c", "zeta"}}));
}

TEST(AppPickerRunningTest, ListsApplicationWindowsOfOtherProgramsOnce) {
    testsupport::XvfbServer server;
    REQUIRE_TEST_HOST(server.started(), server.failure());
    desktoptest::DesktopWindows windows(server.displayName());
    windows.add({"mail", "Mail", 100, {}});
    windows.add({"mail", "Mail", 100, {}});
    windows.add({"editor", "editor", 200, {}});
    windows.add({"panel", "Panel", 300, {}, "_NET_WM_WINDOW_TYPE_DOCK"});
    windows.add({"self", "Self", static_cast<unsigned long>(getpid()), {}});
    windows.add({"", "", 400, {}});
    EXPECT_EQ(AppPickerService::runningApps(server.displayName()),
              (std::vector<AppInfo>{{"editor", "editor"}, {"Mail", "Mail"}}));
}

} // namespace
