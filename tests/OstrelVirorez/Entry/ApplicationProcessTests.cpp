// The program itself, started the way a user starts it (in a private home,
// on Qt's offscreen platform, with no sound server, session bus or network):
// how it meets a second start, a missing display and a settings folder it
// cannot write. In a build with the sanitizers the program runs under them.

#include "OstrelVirorez/Entry/GraphicalSessionGuard.hpp"
#include "tests/Support/ChildProcess.hpp"
#include "tests/Support/HttpTestServer.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

constexpr auto startLimit = 60s;
constexpr auto exitLimit = 60s;

std::string describeStatus(int status) {
    if (WIFEXITED(status)) return "exit status " + std::to_string(WEXITSTATUS(status));
    if (WIFSIGNALED(status)) return "signal " + std::to_string(WTERMSIG(status));
    return "wait status " + std::to_string(status);
}

class ApplicationProcessTest : public ::testing::Test {
protected:
    ApplicationProcessTest() {
        for (const char* folder : {"config", "data", "cache", "run"}) fs::create_directories(home / folder);
        fs::permissions(home / "run", fs::perms::owner_all);
    }

    // The program's environment; `display` false leaves it without any.
    testsupport::ChildProcess::Options options(const std::string& outputName, bool display = true) const {
        const std::string unreachable =
            "http://127.0.0.1:" + std::to_string(testsupport::HttpTestServer::unusedPort());
        testsupport::ChildProcess::Options made;
        made.environment = {
            "HOME=" + home.path().string(),
            "XDG_CONFIG_HOME=" + (home / "config").string(),
            "XDG_DATA_HOME=" + (home / "data").string(),
            "XDG_CACHE_HOME=" + (home / "cache").string(),
            "XDG_RUNTIME_DIR=" + (home / "run").string(),
            "OSTREL_LOG_LEVEL=info",
            // Model downloads fail at once instead of reaching out.
            "REGISTRY_URL=" + unreachable,
            "HF_ENDPOINT=" + unreachable,
            "PULSE_SERVER=unix:" + (home / "no-sound-server").string(),
            // Leaks of the libraries at exit are not what these tests look for.
            "ASAN_OPTIONS=detect_leaks=0",
        };
        if (display) made.environment.push_back("QT_QPA_PLATFORM=offscreen");
        made.unset = {"DISPLAY", "WAYLAND_DISPLAY", "XDG_SESSION_TYPE", "DBUS_SESSION_BUS_ADDRESS",
                      "https_proxy", "http_proxy", "HF_TOKEN"};
        if (!display) made.unset.push_back("QT_QPA_PLATFORM");
        made.output = home / outputName;
        return made;
    }

    std::unique_ptr<testsupport::ChildProcess> start(const std::string& outputName, bool display = true) {
        return std::make_unique<testsupport::ChildProcess>(std::vector<std::string>{OSTREL_VIROREZ_PROGRAM},
                                                           options(outputName, display));
    }

    std::string output(const std::string& outputName) const { return home.read(outputName); }

    // Waits until the program's output holds `text`; false when it ended or
    // the limit passed first.
    bool waitForOutput(testsupport::ChildProcess& program, const std::string& outputName, const std::string& text) {
        const auto deadline = std::chrono::steady_clock::now() + startLimit;
        while (std::chrono::steady_clock::now() < deadline) {
            if (output(outputName).find(text) != std::string::npos) return true;
            if (!program.running()) return false;
            std::this_thread::sleep_for(20ms);
        }
        return false;
    }

    // Set-up has run, and the engine load it started has ended, once the
    // load's failure is logged (there is no model to load here).
    bool waitUntilSetUp(testsupport::ChildProcess& program, const std::string& outputName) {
        return waitForOutput(program, outputName, "Engine load failed: ");
    }

    // Quits as the session does at logout, and returns how the program ended.
    int quit(testsupport::ChildProcess& program) {
        program.signal(SIGTERM);
        const auto status = program.waitForExit(exitLimit);
        return status.value_or(-1);
    }

    void expectCleanRun(const std::string& outputName) const {
        const std::string text = output(outputName);
        for (const char* sign : {"AddressSanitizer", "runtime error:", "pure virtual", "terminate called"}) {
            EXPECT_EQ(text.find(sign), std::string::npos) << sign << " in:\n" << text;
        }
    }

    testsupport::TemporaryDirectory home;
};

TEST_F(ApplicationProcessTest, ASecondStartBringsTheRunningInstanceForwardAndEnds) {
    const auto first = start("first.log");
    ASSERT_TRUE(waitUntilSetUp(*first, "first.log")) << output("first.log");

    const auto second = start("second.log");
    const auto secondStatus = second->waitForExit(exitLimit);
    ASSERT_TRUE(secondStatus);
    EXPECT_TRUE(WIFEXITED(*secondStatus) && WEXITSTATUS(*secondStatus) == 0) << describeStatus(*secondStatus);
    EXPECT_EQ(output("second.log"), "OstrelVirorez is already running; its settings window is brought forward\n");
    EXPECT_TRUE(waitForOutput(*first, "first.log", "Another start asked for the settings window"));

    const int status = quit(*first);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << describeStatus(status) << output("first.log");
    expectCleanRun("first.log");
}

TEST_F(ApplicationProcessTest, AfterAnInstanceWasKilledTheNextStartRuns) {
    const auto killed = start("killed.log");
    ASSERT_TRUE(waitUntilSetUp(*killed, "killed.log")) << output("killed.log");
    killed->signal(SIGKILL);
    ASSERT_TRUE(killed->waitForExit(exitLimit));

    const auto next = start("next.log");
    EXPECT_TRUE(waitUntilSetUp(*next, "next.log")) << output("next.log");
    const int status = quit(*next);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << describeStatus(status) << output("next.log");
}

TEST_F(ApplicationProcessTest, WithoutADisplayItSaysSoInOneLineAndEndsWithoutACoreDump) {
    const auto program = start("program.log", false);
    const auto status = program->waitForExit(exitLimit);
    ASSERT_TRUE(status);
    EXPECT_TRUE(WIFEXITED(*status)) << describeStatus(*status);
    EXPECT_EQ(WEXITSTATUS(*status), ostrelvirorez::GraphicalSessionGuard::exitStatus);
    EXPECT_EQ(output("program.log"), std::string(ostrelvirorez::GraphicalSessionGuard::message) + "\n");
}

// The settings folder is a place nobody can create, root included; every save
// fails. Quitting reports the failed save while the log still works, touches
// nothing that static destruction has freed, and ends with status 0.
TEST_F(ApplicationProcessTest, QuittingWithAnUnwritableSettingsFolderReportsTheFailedSaveAndEndsCleanly) {
    fs::create_symlink("/proc/ostrel-settings-cannot-exist", home / "config" / "OstrelVirorez");
    const auto program = start("program.log");
    ASSERT_TRUE(waitUntilSetUp(*program, "program.log")) << output("program.log");

    const int status = quit(*program);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << describeStatus(status) << output("program.log");
    const std::string text = output("program.log");
    EXPECT_NE(text.find("Cannot save user defaults"), std::string::npos) << text;
    EXPECT_NE(text.find("Settings could not be saved before quitting"), std::string::npos) << text;
    expectCleanRun("program.log");
}

} // namespace
