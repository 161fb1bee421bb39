#include "OstrelVirorez/Input/DesktopApplicationIndex.hpp"

#include "OstrelVirorez/Claude/AppPickerService.hpp"
#include "tests/Support/ScopedEnvironment.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>

namespace {

using namespace ostrelvirorez;

DesktopEntry entry(const std::string& id, const std::string& startupWMClass = {}, bool hidden = false) {
    DesktopEntry result;
    result.id = id;
    result.name = id + " name";
    result.type = "Application";
    result.startupWMClass = startupWMClass;
    result.hidden = hidden;
    return result;
}

TEST(DesktopApplicationIndexTest, MapsWindowClassesToDesktopFileIds) {
    const DesktopApplicationIndex index({
        entry("code", "Code"),
        entry("firefox-esr"),
        entry("firefox", ""),
        entry("org.gnome.Nautilus"),
        entry("chromium", "Chromium-browser"),
        entry("chromium-alt", "chromium-browser"),
        entry("gimp", "", true),
        entry("Navigator-launcher", "navigator"),
    });
    struct Case {
        std::string instance;
        std::string className;
        std::optional<std::string> identifier;
    };
    const std::vector<Case> cases{
        // StartupWMClass names the class.
        {"code", "Code", "code"},
        // StartupWMClass differs in case from the window's class.
        {"CODE", "CODE", "code"},
        // Two entries claim the class in different case: the first wins.
        {"chromium-browser", "Chromium-browser", "chromium"},
        // StartupWMClass beats an id that equals the class.
        {"navigator", "Firefox", "Navigator-launcher"},
        // No StartupWMClass: the id derived from the file name, ignoring case.
        {"firefox", "FIREFOX", "firefox"},
        {"org.gnome.Nautilus", "org.gnome.nautilus", "org.gnome.Nautilus"},
        // Only the instance name matches an id.
        {"firefox-esr", "Browser", "firefox-esr"},
        // A hidden (deleted) entry does not count.
        {"gimp", "Gimp", "Gimp"},
        // No desktop file: the class name as the window reports it.
        {"xterm", "XTerm", "XTerm"},
        // No class at all.
        {"", "", std::nullopt},
    };
    for (const auto& each : cases) {
        EXPECT_EQ(index.applicationIdentifier(each.instance, each.className), each.identifier)
            << each.instance << "/" << each.className;
    }
    ASSERT_NE(index.entryForWindow("code", "Code"), nullptr);
    EXPECT_EQ(index.entryForWindow("code", "Code")->name, "code name");
    EXPECT_EQ(index.entryForWindow("xterm", "XTerm"), nullptr);
}

TEST(DesktopApplicationIndexTest, TheInstalledIndexAgreesWithThePickersInstalledApplications) {
    testsupport::TemporaryDirectory folder;
    testsupport::ScopedEnvironment environment;
    environment.set("XDG_DATA_DIRS", (folder / "system").string());
    environment.set("XDG_DATA_HOME", (folder / "home").string());
    folder.write("system/applications/org.example.Editor.desktop",
                 "[Desktop Entry]\nType=Application\nName=Editor\nStartupWMClass=Edit-Main\n");
    folder.write("home/applications/mailer.desktop", "[Desktop Entry]\nType=Application\nName=Mailer\n");

    const auto index = DesktopApplicationIndex::installed();
    for (const auto& [instance, className, query] :
         {std::tuple{"edit-main", "Edit-main", "Editor"}, std::tuple{"mailer", "Mailer", "Mailer"}}) {
        const auto installed = AppPickerService::installedApps(query);
        ASSERT_EQ(installed.size(), 1u) << query;
        EXPECT_EQ(index.applicationIdentifier(instance, className), installed.front().bundleIdentifier) << query;
    }
}

} // namespace
