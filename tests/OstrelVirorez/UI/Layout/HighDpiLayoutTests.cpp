// The settings window on a screen that reports 192 dpi, as a desktop set to
// double size publishes it (the X server's dpi and "Xft.dpi"): Qt draws it at
// device pixel ratio 2 and measures every text for that screen, where a text
// that fits at 96 dpi may not. Every tab, with the sidebar shown and
// collapsed and with the status panel open, lays out there without a cut
// text, a clipped frame or two controls on top of each other.
//
// This process draws offscreen, so the test starts an X server of its own
// and runs itself again on it, where the same test does the checking.

#include "tests/OstrelVirorez/UI/Layout/LayoutInspector.hpp"
#include "tests/OstrelVirorez/UI/Layout/SettingsWindowFixture.hpp"
#include "tests/OstrelVirorez/UI/TestApplication.hpp"
#include "tests/Support/ChildProcess.hpp"
#include "tests/Support/TemporaryDirectory.hpp"
#include "tests/Support/TestHost.hpp"
#include "tests/Support/XvfbServer.hpp"

#include <gtest/gtest.h>

#include <QScreen>
#include <QWindow>

#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <utility>

namespace ostrelvirorez::testing {
namespace {

using namespace std::chrono_literals;

constexpr int screenDpi = 192;

std::string contents(const std::filesystem::path& file) {
    std::ifstream stream(file);
    std::ostringstream text;
    text << stream.rdbuf();
    return text.str();
}

class SettingsWindowAt192DpiTest : public SettingsWindowFixture {
protected:
    static bool onTheDisplay() { return qEnvironmentVariableIsSet(onDisplayVariable); }

    // Runs this test again on `server`; the run's exit status and output.
    static std::pair<std::optional<int>, std::string> runOn(const testsupport::XvfbServer& server) {
        testsupport::TemporaryDirectory folder;
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        testsupport::ChildProcess::Options options;
        options.environment = {"DISPLAY=" + server.displayName(), "QT_QPA_PLATFORM=xcb",
                               std::string(onDisplayVariable) + "=1"};
        // Nothing of this process's own scaling may change what the screen says.
        options.unset = {"QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS", "QT_ENABLE_HIGHDPI_SCALING",
                         "QT_SCALE_FACTOR_ROUNDING_POLICY", "QT_FONT_DPI", "QT_USE_PHYSICAL_DPI"};
        options.output = folder / "run.log";
        testsupport::ChildProcess run(
            {std::filesystem::read_symlink("/proc/self/exe").string(),
             std::string("--gtest_filter=") + test->test_suite_name() + "." + test->name()},
            options);
        const auto status = run.waitForExit(180s);
        return {status, contents(folder / "run.log")};
    }

    void expectEveryTabFits() {
        for (const SettingsTab tab : allSettingsTabs) {
            for (const bool collapsed : {false, true}) {
                show(tab, collapsed, false);
                SCOPED_TRACE(tabName(tab) + (collapsed ? ", sidebar collapsed" : ", sidebar shown"));
                EXPECT_EQ(layoutFaults(*window).join(QLatin1Char('\n')).toStdString(), "");
            }
            show(tab, false, true);
            SCOPED_TRACE(tabName(tab) + ", status panel open");
            EXPECT_EQ(layoutFaults(*window).join(QLatin1Char('\n')).toStdString(), "");
        }
    }
};

TEST_F(SettingsWindowAt192DpiTest, EveryTabFits) {
    if (onTheDisplay()) {
        // Qt turns the screen's 192 dpi into a device pixel ratio of 2 over its usual 96.
        ASSERT_EQ(window->windowHandle()->screen()->devicePixelRatio(), 2.0);
        ASSERT_EQ(window->devicePixelRatio(), 2.0);
        expectEveryTabFits();
        return;
    }
    testsupport::XvfbServer server({.extraArguments = {"-screen", "0", "2400x2000x24", "-dpi",
                                                       std::to_string(screenDpi)},
                                    .resources = "Xft.dpi:\t" + std::to_string(screenDpi) + "\n"});
    REQUIRE_TEST_HOST(server.started(), server.failure());
    const auto [status, output] = runOn(server);
    ASSERT_TRUE(status.has_value()) << "the run on the display did not end\n" << output;
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << output;
    EXPECT_NE(output.find("[  PASSED  ] 1 test"), std::string::npos) << output;
}

} // namespace
} // namespace ostrelvirorez::testing
