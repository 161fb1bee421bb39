#include "OstrelVirorez/Input/DesktopCorrectionWatchEnvironment.hpp"

#include "OstrelVirorez/Input/HotkeyManager.hpp"
#include "OstrelVirorez/Input/TargetAppDetector.hpp"
#include "OstrelVirorez/Input/X11/ActiveApplicationWatcher.hpp"
#include "Platform/Concurrency/LoopMainQueue.hpp"
#include "Platform/Concurrency/ManualMainQueue.hpp"
#include "tests/OstrelVirorez/Desktop/DesktopWindows.hpp"
#include "tests/Support/ScopedEnvironment.hpp"
#include "tests/Support/TemporaryDirectory.hpp"
#include "tests/Support/XvfbServer.hpp"
#include "tests/Support/TestHost.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>

namespace {

using namespace ostrelvirorez;
using namespace std::chrono_literals;

class ScriptedKeyEventTap final : public KeyEventTap {
public:
    bool enable(Handler handler) override {
        handler_ = std::move(handler);
        return true;
    }
    void disable() override { handler_ = nullptr; }
    void keyDown(std::uint16_t code) const {
        if (handler_) handler_({KeyEventType::keyDown, code, 0});
    }

private:
    Handler handler_;
};

// Counts activations reported on the loop's thread and lets the test wait for them.
class ActivationCounter {
public:
    void add() {
        std::lock_guard guard(mutex_);
        ++count_;
        changed_.notify_all();
    }
    // The count once it has reached `count`, or what it is after a generous timeout.
    int waitFor(int count) {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, 10s, [&] { return count_ >= count; });
        return count_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    int count_ = 0;
};

class DesktopCorrectionWatchEnvironmentTest : public ::testing::Test {
protected:
    void SetUp() override {
        REQUIRE_TEST_HOST(server.started(), server.failure());
        environment.set("XDG_DATA_DIRS", (folder / "system").string());
        environment.set("XDG_DATA_HOME", (folder / "home").string());
        windows = std::make_unique<desktoptest::DesktopWindows>(server.displayName());
        auto scripted = std::make_unique<ScriptedKeyEventTap>();
        tap = scripted.get();
        hotkeys = std::make_unique<HotkeyManager>(queue, std::move(scripted));
        hotkeys->install();
        detector = std::make_unique<TargetAppDetector>(server.displayName(), 1);
    }

    testsupport::XvfbServer server;
    testsupport::TemporaryDirectory folder;
    testsupport::ScopedEnvironment environment;
    platform::ManualMainQueue queue;
    std::unique_ptr<desktoptest::DesktopWindows> windows;
    ScriptedKeyEventTap* tap = nullptr;
    std::unique_ptr<HotkeyManager> hotkeys;
    std::unique_ptr<TargetAppDetector> detector;
};

TEST_F(DesktopCorrectionWatchEnvironmentTest, ReadsTheFrontmostApplicationAndTheCommitKeys) {
    DesktopCorrectionWatchEnvironment adapter(queue, *detector, *hotkeys, server.displayName());
    folder.write("system/applications/org.example.Notes.desktop",
                 "[Desktop Entry]\nType=Application\nName=Notes\nStartupWMClass=NotesWindow\n");
    windows->activate(windows->add({"notes", "NotesWindow", 77, {}}));
    EXPECT_EQ(adapter.frontmostBundleIdentifier(), std::optional<std::string>("org.example.Notes"));
    windows->clearActive();
    EXPECT_EQ(adapter.frontmostBundleIdentifier(), std::nullopt);

    int commits = 0;
    adapter.setOnCommitKeySignal([&] { ++commits; });
    for (const std::uint16_t code : {36, 76, 48, 0, 49}) tap->keyDown(code);
    queue.runUntilIdle();
    EXPECT_EQ(commits, 3);
}

TEST_F(DesktopCorrectionWatchEnvironmentTest, WithoutAnAccessibilityBusThereIsNoField) {
    environment.unset("AT_SPI_BUS_ADDRESS");
    environment.unset("DBUS_SESSION_BUS_ADDRESS");
    DesktopCorrectionWatchEnvironment adapter(queue, *detector, *hotkeys, server.displayName());
    windows->activate(windows->add({"editor", "Editor", 77, {}}));
    EXPECT_EQ(adapter.captureFocusedElementSnapshot(), std::nullopt);
}

TEST_F(DesktopCorrectionWatchEnvironmentTest, ActivationsArriveOnTheMainQueue) {
    const auto mail = windows->add({"mail", "Mail", 100, {}});
    const auto editor = windows->add({"editor", "Editor", 200, {}});
    windows->activate(mail);

    platform::LoopMainQueue mainQueue;
    const auto onMain = [&](const std::function<void()>& work) {
        std::promise<void> done;
        mainQueue.post([&] {
            work();
            done.set_value();
        });
        done.get_future().wait();
    };
    ActivationCounter activations;
    std::atomic<bool> onMainQueue = true;
    std::unique_ptr<DesktopCorrectionWatchEnvironment> adapter;
    platform::Connection observation;
    onMain([&] {
        adapter = std::make_unique<DesktopCorrectionWatchEnvironment>(mainQueue, *detector, *hotkeys,
                                                                     server.displayName());
        observation = adapter->observeApplicationActivation([&] {
            if (!mainQueue.isCurrent()) onMainQueue = false;
            activations.add();
        });
    });

    windows->activate(editor);
    EXPECT_EQ(activations.waitFor(1), 1);
    onMain([&] {
        observation.disconnect();
        adapter.reset();
    });
    EXPECT_TRUE(onMainQueue);
}

// Each change of the active window is read before the next one is made.
class ActiveApplicationWatcherTest : public ::testing::Test {
protected:
    void SetUp() override {
        REQUIRE_TEST_HOST(server.started(), server.failure());
        windows = std::make_unique<desktoptest::DesktopWindows>(server.displayName());
    }

    void activate(unsigned long window) {
        windows->activate(window);
        watcher->processPendingEvents(5s);
    }
    void clearActive() {
        windows->clearActive();
        watcher->processPendingEvents(5s);
    }

    testsupport::XvfbServer server;
    platform::ManualMainQueue queue;
    std::unique_ptr<desktoptest::DesktopWindows> windows;
    std::unique_ptr<x11::ActiveApplicationWatcher> watcher;
    int activations = 0;
};

TEST_F(ActiveApplicationWatcherTest, ReportsOnlyWhenAnotherApplicationBecomesActive) {
    const auto mail = windows->add({"mail", "Mail", 100, {}});
    const auto mailCompose = windows->add({"mail-compose", "Mail", 100, {}});
    const auto editor = windows->add({"editor", "Editor", 200, {}});
    const auto editorCopy = windows->add({"editor", "Editor", 201, {}});
    const auto anonymous = windows->add({"", "", {}, {}});
    const auto otherAnonymous = windows->add({"", "", {}, {}});
    windows->activate(mail);
    watcher = std::make_unique<x11::ActiveApplicationWatcher>(queue, [this] { ++activations; }, server.displayName(),
                                                              false);
    ASSERT_TRUE(watcher->isConnected());

    struct Step {
        const char* what;
        std::optional<unsigned long> window;
        int activationsAfter;
    };
    const std::vector<Step> steps{
        {"the active application again", mail, 0},
        {"another window of the same process", mailCompose, 0},
        {"another application", editor, 1},
        {"no active window, as between two windows", std::nullopt, 1},
        {"the same application after the gap", editor, 1},
        {"a second process of the same program", editorCopy, 2},
        {"a window naming nothing", anonymous, 3},
        {"another window naming nothing", otherAnonymous, 4},
        {"back to the first", mail, 5},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        if (step.window) activate(*step.window);
        else clearActive();
        EXPECT_EQ(activations, step.activationsAfter);
    }
    EXPECT_EQ(queue.runUntilIdle(), 0u);
}

TEST(DesktopCorrectionWatchEnvironmentWithoutDisplay, ObservingActivationsIsHarmless) {
    testsupport::ScopedEnvironment environment;
    environment.unset("DISPLAY");
    platform::ManualMainQueue queue;
    HotkeyManager hotkeys(queue, std::make_unique<ScriptedKeyEventTap>());
    TargetAppDetector detector;
    DesktopCorrectionWatchEnvironment adapter(queue, detector, hotkeys);
    const auto observation = adapter.observeApplicationActivation([] { FAIL() << "no display, no activation"; });
    EXPECT_EQ(adapter.frontmostBundleIdentifier(), std::nullopt);
    EXPECT_EQ(adapter.captureFocusedElementSnapshot(), std::nullopt);
    queue.runUntilIdle();
}

} // namespace
