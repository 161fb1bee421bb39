#include "OstrelVirorez/Input/TargetAppDetector.hpp"

#include "tests/OstrelVirorez/Desktop/DesktopWindows.hpp"
#include "OstrelVirorez/Claude/AppPickerService.hpp"
#include "tests/Support/ScopedEnvironment.hpp"
#include "tests/Support/TemporaryDirectory.hpp"
#include "tests/Support/XvfbServer.hpp"
#include "tests/Support/TestHost.hpp"

#include <gtest/gtest.h>
#include <unistd.h>

namespace {

using namespace ostrelvirorez;

constexpr unsigned long ownProcess = 4242;
constexpr unsigned long otherProcess = 5151;

class TargetAppDetectorTest : public ::testing::Test {
protected:
    void SetUp() override {
        REQUIRE_TEST_HOST(server.started(), server.failure());
        // Only the test's own desktop files describe installed applications.
        environment.set("XDG_DATA_DIRS", (folder / "system").string());
        environment.set("XDG_DATA_HOME", (folder / "home").string());
        windows = std::make_unique<desktoptest::DesktopWindows>(server.displayName());
        detector = std::make_unique<TargetAppDetector>(server.displayName(), static_cast<pid_t>(ownProcess));
    }

    testsupport::XvfbServer server;
    testsupport::TemporaryDirectory folder;
    testsupport::ScopedEnvironment environment;
    std::unique_ptr<desktoptest::DesktopWindows> windows;
    std::unique_ptr<TargetAppDetector> detector;
};

TEST_F(TargetAppDetectorTest, ReportsTheLastForeignApplicationWhileItselfIsInFront) {
    const auto own = windows->add({"ostrelvirorez", "OstrelVirorez", ownProcess, "Einstellungen"});
    const auto other = windows->add({"longeditorname", "LongEditorName1234", otherProcess, "notes.txt"});

    windows->activate(other);
    EXPECT_EQ(detector->captureCurrentApp(),
              (TargetAppInfo{"LongEditorNa", std::string("longeditorname"), std::string("LongEditorName1234")}));
    EXPECT_EQ(detector->lastBundleIdentifier(), "LongEditorName1234");
    EXPECT_EQ(detector->lastAppName(), "LongEditorName1234");
    EXPECT_EQ(detector->captureWindowTitle(), std::optional<std::string>("notes.txt"));

    windows->activate(own);
    EXPECT_EQ(detector->captureCurrentApp(),
              (TargetAppInfo{"LongEditorNa", std::string("ostrelvirorez"), std::string("LongEditorName1234")}));
    EXPECT_EQ(detector->lastBundleIdentifier(), "LongEditorName1234");
}

TEST_F(TargetAppDetectorTest, ReportsItselfWhenNothingElseWasSeen) {
    windows->activate(windows->add({"ostrelvirorez", "OstrelVirorez", ownProcess, {}}));
    EXPECT_EQ(detector->captureCurrentApp().bundleIdentifier, std::optional<std::string>("OstrelVirorez"));
    EXPECT_EQ(detector->lastBundleIdentifier(), "OstrelVirorez");
}

TEST_F(TargetAppDetectorTest, AnApplicationWithoutClassIsRememberedAsDefault) {
    windows->activate(windows->add({"", "", otherProcess, {}}));
    EXPECT_EQ(detector->captureCurrentApp(), (TargetAppInfo{"Unknown", std::nullopt, std::nullopt}));
    EXPECT_EQ(detector->lastBundleIdentifier(), "default");

    const auto own = windows->add({"ostrelvirorez", "OstrelVirorez", ownProcess, {}});
    windows->activate(own);
    EXPECT_EQ(detector->captureCurrentApp().bundleIdentifier, std::optional<std::string>("OstrelVirorez"));
}

TEST_F(TargetAppDetectorTest, NoActiveWindowGivesUnknownAndNoTitle) {
    windows->clearActive();
    EXPECT_EQ(detector->captureCurrentApp(), (TargetAppInfo{"Unknown", std::nullopt, std::nullopt}));
    EXPECT_EQ(detector->captureWindowTitle(), std::nullopt);
    EXPECT_EQ(detector->captureFocusedElementSnapshot(), std::nullopt);
}

TEST_F(TargetAppDetectorTest, AnEmptyTitleIsAbsent) {
    windows->activate(windows->add({"editor", "Editor", otherProcess, std::string()}));
    EXPECT_EQ(detector->captureWindowTitle(), std::nullopt);
}

TEST_F(TargetAppDetectorTest, WithoutAnAccessibilityBusThereIsNoFocusedElement) {
    testsupport::ScopedEnvironment environment;
    environment.unset("AT_SPI_BUS_ADDRESS");
    environment.unset("DBUS_SESSION_BUS_ADDRESS");
    windows->activate(windows->add({"editor", "Editor", otherProcess, {}}));
    EXPECT_FALSE(detector->captureFocusedElementSnapshot().has_value());
}

TEST_F(TargetAppDetectorTest, AnInstalledApplicationIsReportedByItsDesktopFileAsThePickerListsIt) {
    folder.write("system/applications/org.example.Code.desktop",
                 "[Desktop Entry]\nType=Application\nName=Visual Editor\nIcon=code-icon\nStartupWMClass=Code\n");
    const auto window = windows->add({"code", "Code", otherProcess, {}});
    windows->activate(window);

    EXPECT_EQ(detector->captureCurrentApp(),
              (TargetAppInfo{"Visual Edito", std::string("code-icon"), std::string("org.example.Code")}));
    EXPECT_EQ(detector->lastBundleIdentifier(), "org.example.Code");
    EXPECT_EQ(detector->lastAppName(), "Visual Editor");
    EXPECT_EQ(detector->frontmostApplicationIdentifier(), std::optional<std::string>("org.example.Code"));
    EXPECT_EQ(AppPickerService::installedApps("visual").front().bundleIdentifier, "org.example.Code");
    EXPECT_EQ(AppPickerService::runningApps(server.displayName()),
              (std::vector<AppInfo>{{"org.example.Code", "Visual Editor"}}));
}

TEST_F(TargetAppDetectorTest, TheFrontmostIdentifierFollowsTheActiveWindowEvenWhenItIsOwn) {
    const auto own = windows->add({"ostrelvirorez", "OstrelVirorez", ownProcess, {}});
    const auto other = windows->add({"editor", "Editor", otherProcess, {}});
    windows->activate(other);
    EXPECT_EQ(detector->frontmostApplicationIdentifier(), std::optional<std::string>("Editor"));
    windows->activate(own);
    EXPECT_EQ(detector->frontmostApplicationIdentifier(), std::optional<std::string>("OstrelVirorez"));
    windows->clearActive();
    EXPECT_EQ(detector->frontmostApplicationIdentifier(), std::nullopt);
    EXPECT_EQ(detector->lastBundleIdentifier(), "default");
}

} // namespace
