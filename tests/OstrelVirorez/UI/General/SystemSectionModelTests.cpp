#include "OstrelVirorez/App/Ports/ActivationPolicySetting.hpp"
#include "OstrelVirorez/UI/General/AutostartEntry.hpp"
#include "OstrelVirorez/UI/General/SystemSectionModel.hpp"
#include "OstrelVirorez/UI/NotificationCenter.hpp"
#include "Platform/Files/FileContents.hpp"
#include "tests/OstrelVirorez/UI/General/GeneralTestSettings.hpp"

#include <gtest/gtest.h>

#include <filesystem>

namespace ostrelvirorez::testing {
namespace {

using namespace ostrelvirorez::general;

class RecordingPolicy final : public ActivationPolicySetting {
public:
    void setActivationPolicy(ActivationPolicy policy) override { policies.push_back(policy); }
    std::vector<ActivationPolicy> policies;
};

class SystemSectionModelTest : public ::testing::Test {
protected:
    SystemSectionModel& makeModel() {
        model = std::make_unique<SystemSectionModel>(
            store.settings, SystemSectionModel::Desktop{notifications, &policy, autostart, [this] { ++quits; }});
        return *model;
    }
    const SettingToggle& launchAtLogin() { return model->toggles()[0]; }
    const SettingToggle& dockIcon() { return model->toggles()[1]; }

    GeneralTestSettings store;
    NotificationCenter notifications;
    RecordingPolicy policy;
    AutostartEntry autostart{store.folder / "config/autostart", "org.example.Dictation", "/usr/bin/dictation"};
    int quits = 0;
    std::unique_ptr<SystemSectionModel> model;
};

TEST_F(SystemSectionModelTest, ButtonsPostTheirNotificationOrQuit) {
    auto& m = makeModel();
    std::vector<std::string> posted;
    std::vector<platform::Connection> observers;
    for (const char* name : {"checkForUpdatesRequested", "showOnboardingSheet", "showFeedbackSheet"}) {
        observers.push_back(notifications.observe(name, [&posted, name] { posted.push_back(name); }));
    }
    m.checkForUpdates();
    m.showOnboarding();
    m.sendFeedback();
    EXPECT_EQ(posted, (std::vector<std::string>{"checkForUpdatesRequested", "showOnboardingSheet",
                                                "showFeedbackSheet"}));
    EXPECT_EQ(quits, 0);
    m.quit();
    EXPECT_EQ(quits, 1);
}

// The policy follows changes of the stored flag only: not the card being
// made, not the same value written again.
TEST_F(SystemSectionModelTest, DockIconSwitchSetsTheActivationPolicyOnChange) {
    store.defaults.set("showDockIcon", platform::DefaultsValue(true));
    makeModel();
    EXPECT_TRUE(dockIcon().isOn());
    EXPECT_TRUE(policy.policies.empty());
    dockIcon().set(true);
    EXPECT_TRUE(policy.policies.empty());
    dockIcon().set(false);
    dockIcon().set(true);
    EXPECT_EQ(policy.policies, (std::vector<ActivationPolicy>{ActivationPolicy::accessory, ActivationPolicy::regular}));
    EXPECT_TRUE(store.defaults.boolOrFalse("showDockIcon"));
    EXPECT_FALSE(store.settings.launchAtLogin());
}

TEST_F(SystemSectionModelTest, LaunchAtLoginWritesAndRemovesTheAutostartEntry) {
    makeModel();
    EXPECT_FALSE(launchAtLogin().isOn());
    launchAtLogin().set(true);
    ASSERT_TRUE(std::filesystem::exists(store.folder / "config/autostart/org.example.Dictation.desktop"));
    EXPECT_EQ(platform::files::readFile(autostart.file()), autostart.contents());
    EXPECT_EQ(model->launchAtLoginError(), std::nullopt);
    EXPECT_TRUE(store.settings.launchAtLogin());
    EXPECT_TRUE(policy.policies.empty());

    launchAtLogin().set(false);
    EXPECT_FALSE(autostart.isInstalled());
    launchAtLogin().set(false); // nothing there: still no error
    EXPECT_EQ(model->launchAtLoginError(), std::nullopt);
}

// A failure is shown on the card and the switch returns to what the session
// will really do at the next login.
TEST_F(SystemSectionModelTest, FailedLoginItemChangeIsShownAndTheSwitchKeptTrue) {
    struct Case {
        const char* name;
        bool from;
        std::function<void(const AutostartEntry&)> spoil;
        std::string error;
    };
    const Case cases[] = {
        {"the autostart folder is a file", false,
         [](const AutostartEntry& entry) { platform::files::writeAtomically(entry.file().parent_path(), "x"); },
         "Could not add the login item: Cannot create the folder"},
        {"the entry cannot be removed", true,
         [](const AutostartEntry& entry) {
             std::filesystem::create_directories(entry.file() / "inside");
         },
         "Could not remove the login item: Cannot remove"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        GeneralTestSettings own;
        std::filesystem::create_directories(own.folder / "config");
        AutostartEntry entry{own.folder / "config/autostart", "org.example.Dictation", "/usr/bin/dictation"};
        own.settings.setLaunchAtLogin(c.from);
        c.spoil(entry);
        SystemSectionModel m(own.settings, {notifications, nullptr, entry, {}});
        int changes = 0;
        const auto watch = m.changed().connect([&] { ++changes; });

        m.toggles()[0].set(!c.from);
        ASSERT_TRUE(m.launchAtLoginError().has_value());
        EXPECT_EQ(m.launchAtLoginError()->rfind(c.error, 0), 0u) << *m.launchAtLoginError();
        EXPECT_EQ(own.settings.launchAtLogin(), c.from);
        EXPECT_GE(changes, 1);
    }
}

TEST(AutostartEntry, ExecLineQuotesAndEscapesTheProgramPath) {
    struct Case {
        const char* name;
        std::string program;
        std::string exec;
    };
    const Case cases[] = {
        {"plain", "/usr/bin/dictation", "Exec=/usr/bin/dictation\n"},
        {"blank", "/opt/my apps/dictation", "Exec=\"/opt/my apps/dictation\"\n"},
        {"dollar and quote", "/opt/a$b\"c/d", "Exec=\"/opt/a\\\\$b\\\\\"c/d\"\n"},
        {"percent", "/opt/100%/d", "Exec=/opt/100%%/d\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const AutostartEntry entry("/tmp/none", "org.example.Dictation", c.program);
        const std::string contents = entry.contents();
        EXPECT_NE(contents.find("\n" + c.exec), std::string::npos) << contents;
        EXPECT_EQ(contents.rfind("[Desktop Entry]\nType=Application\n", 0), 0u);
    }
}

} // namespace
} // namespace ostrelvirorez::testing
