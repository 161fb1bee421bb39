#include "OstrelVirorez/Input/HotkeyManager.hpp"

#include "OstrelVirorez/Input/HotkeyNames.hpp"
#include "Platform/Concurrency/ManualMainQueue.hpp"
#include "Platform/Core/Logger.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace ostrelvirorez;

class FakeKeyEventTap : public KeyEventTap {
public:
    explicit FakeKeyEventTap(bool grantsAccess = true) : grantsAccess_(grantsAccess) {}

    bool enable(Handler handler) override {
        if (!grantsAccess_) return false;
        handler_ = std::move(handler);
        return true;
    }
    void disable() override { handler_ = nullptr; }

    void send(const KeyEvent& event) const {
        if (handler_) handler_(event);
    }
    bool enabled() const { return static_cast<bool>(handler_); }

private:
    bool grantsAccess_;
    Handler handler_;
};

KeyEvent down(std::uint16_t code, std::uint64_t flags = 0) {
    return {KeyEventType::keyDown, code, flags};
}
KeyEvent up(std::uint16_t code, std::uint64_t flags = 0) {
    return {KeyEventType::keyUp, code, flags};
}
KeyEvent flags(std::uint16_t code, std::uint64_t flags) {
    return {KeyEventType::flagsChanged, code, flags};
}

// Device-dependent bits of the modifier keys.
constexpr std::uint64_t rightCommand = 0x10;
constexpr std::uint64_t rightOption = 0x40;
constexpr std::uint64_t leftControl = 0x01;
constexpr std::uint64_t rightControl = 0x2000;
constexpr std::uint64_t leftShift = 0x02;

class HotkeyManagerTest : public ::testing::Test {
protected:
    HotkeyManagerTest() {
        auto fake = std::make_unique<FakeKeyEventTap>();
        tap = fake.get();
        manager = std::make_unique<HotkeyManager>(queue, std::move(fake));
        manager->setOnRecordingStart([this](DictationMode mode) { calls.push_back("start " + std::string(rawValue(mode))); });
        manager->setOnRecordingStop([this] { calls.push_back("stop"); });
        manager->setOnModeUpgrade([this](DictationMode mode) { calls.push_back("upgrade " + std::string(rawValue(mode))); });
        manager->setOnCommitKeySignal([this](CorrectionCommitSignal signal) {
            calls.push_back(signal == CorrectionCommitSignal::returnKey ? "commit return" : "commit tab");
        });
        manager->install();
    }

    void send(const std::vector<KeyEvent>& events) {
        for (const auto& event : events) tap->send(event);
        queue.runUntilIdle();
    }

    platform::ScopedLogCapture logs;
    platform::ManualMainQueue queue;
    FakeKeyEventTap* tap = nullptr;
    std::unique_ptr<HotkeyManager> manager;
    std::vector<std::string> calls;
};

struct Scenario {
    const char* name;
    std::vector<KeyEvent> events;
    std::vector<std::string> expected;
};

TEST_F(HotkeyManagerTest, TurnsKeySequencesIntoTheHoldToTalkProtocol) {
    // Default sets: dictate {54 right Command}, claude {61 right Option},
    // clipboard {62 right Control}; F19 (80) and Caps Lock (57) are added as
    // dictate keys.
    manager->setVirorezKeyCodes({54, 80, 57});
    const std::vector<Scenario> scenarios{
        {"right Command records raw", {flags(54, rightCommand), flags(54, 0)}, {"start raw", "stop"}},
        {"right Option records claude", {flags(61, rightOption), flags(61, 0)}, {"start claude", "stop"}},
        {"right Control records clipboard",
         {flags(62, rightControl), flags(62, 0)},
         {"start clipboardRewrite", "stop"}},
        {"either Control upgrades a raw recording once",
         {flags(54, rightCommand), flags(59, rightCommand | leftControl), flags(59, rightCommand),
          flags(59, rightCommand | leftControl), flags(54, 0)},
         {"start raw", "upgrade clipboardRewrite", "stop"}},
        {"right Control joining upgrades too",
         {flags(54, rightCommand), flags(62, rightCommand | rightControl), flags(62, rightCommand), flags(54, 0)},
         {"start raw", "upgrade clipboardRewrite", "stop"}},
        {"Control already held starts in clipboard mode",
         {flags(59, leftControl), flags(54, leftControl | rightCommand), flags(54, leftControl)},
         {"start clipboardRewrite", "stop"}},
        {"a claude recording keeps its mode",
         {flags(61, rightOption), flags(59, rightOption | leftControl), flags(62, rightOption | leftControl | rightControl),
          flags(61, leftControl | rightControl), flags(62, leftControl), flags(59, 0)},
         {"start claude", "stop"}},
        {"a second configured key does not stop the first one's recording",
         {flags(61, rightOption), flags(54, rightOption | rightCommand), flags(54, rightOption), flags(61, 0)},
         {"start claude", "stop"}},
        {"function key records and repeats start nothing",
         {down(80), down(80), down(80), up(80)},
         {"start raw", "stop"}},
        {"Control held with a function key starts clipboard mode",
         {flags(59, leftControl), down(80, leftControl), up(80, leftControl)},
         {"start clipboardRewrite", "stop"}},
        {"commit keys are reported also while recording",
         {down(36), flags(54, rightCommand), down(76, rightCommand), down(48, rightCommand), down(48, rightCommand),
          flags(54, 0)},
         {"commit return", "start raw", "commit return", "commit tab", "commit tab", "stop"}},
        {"an unconfigured modifier starts nothing", {flags(56, leftShift), flags(56, 0)}, {}},
        {"key-down events of modifier codes are ignored", {down(54), up(54)}, {}},
        {"Caps Lock as 57 never starts a recording", {flags(57, 0), flags(57, 0)}, {}},
    };
    for (const auto& scenario : scenarios) {
        calls.clear();
        send(scenario.events);
        EXPECT_EQ(calls, scenario.expected) << scenario.name;
        EXPECT_FALSE(manager->isRecording()) << scenario.name;
        EXPECT_TRUE(manager->heldConfiguredKeys().empty()) << scenario.name;
    }
}

TEST_F(HotkeyManagerTest, AKeyInSeveralSetsPrefersClipboardThenClaude) {
    manager->setVirorezKeyCodes({80, 79});
    manager->setClaudeKeyCodes({80, 79});
    manager->setClipboardKeyCodes({80});
    send({down(80), up(80), down(79), up(79)});
    EXPECT_EQ(calls, (std::vector<std::string>{"start clipboardRewrite", "stop", "start claude", "stop"}));
}

TEST_F(HotkeyManagerTest, AClipboardKeyJoiningARawRecordingUpgradesIt) {
    manager->setClipboardKeyCodes({80});
    send({flags(54, rightCommand), down(80, rightCommand), up(80, rightCommand)});
    EXPECT_EQ(calls, (std::vector<std::string>{"start raw", "upgrade clipboardRewrite"}));
    EXPECT_EQ(manager->activeKey(), std::optional<std::uint16_t>(54));
    EXPECT_EQ(manager->currentMode(), DictationMode::clipboardRewrite);
    send({flags(54, 0)});
    EXPECT_EQ(calls.back(), "stop");
}

TEST_F(HotkeyManagerTest, SetsReplacedWhileRunningTakeEffectWithTheNextEvent) {
    send({down(80), up(80)});
    manager->setVirorezKeyCodes({80});
    send({down(80), up(80)});
    EXPECT_EQ(calls, (std::vector<std::string>{"start raw", "stop"}));
}

TEST_F(HotkeyManagerTest, PublishesTapStateAndTheLastKeyEvent) {
    queue.runUntilIdle();
    EXPECT_TRUE(manager->eventTapActive.get());
    EXPECT_TRUE(logs.contains("HotkeyManager: installed — dictate: Right ⌘, claude: Right ⌥"));

    send({flags(56, leftShift)});
    EXPECT_EQ(manager->lastEventDescription.get(), "Left ⇧ DOWN");
    manager->setVirorezKeyCodes({80});
    send({down(80)});
    EXPECT_EQ(manager->lastEventDescription.get(), "Caps Lock (F19) DOWN (F-Key)");
    EXPECT_TRUE(logs.contains("HotkeyManager: recording START (raw) key=0x50"));
    send({up(80)});
    EXPECT_EQ(manager->lastEventDescription.get(), "Caps Lock (F19) UP (F-Key)");
    EXPECT_TRUE(logs.contains("HotkeyManager: recording STOP"));

    manager->uninstall();
    queue.runUntilIdle();
    EXPECT_FALSE(manager->eventTapActive.get());
    EXPECT_FALSE(tap->enabled());
}

TEST(HotkeyManagerInstall, WithoutAccessTheTapStaysInactiveAndTheFailureIsLogged) {
    platform::ScopedLogCapture logs;
    platform::ManualMainQueue queue;
    HotkeyManager manager(queue, std::make_unique<FakeKeyEventTap>(false));
    manager.install();
    queue.runUntilIdle();
    EXPECT_FALSE(manager.eventTapActive.get());
    EXPECT_TRUE(logs.contains("HotkeyManager: Event Tap FAILED — Accessibility permission required"));
}

TEST(HotkeyManagerInstall, PublicationsQueuedBeforeTheManagerEndsAreDropped) {
    platform::ManualMainQueue queue;
    {
        HotkeyManager manager(queue, std::make_unique<FakeKeyEventTap>());
        manager.install();
    }
    EXPECT_NO_FATAL_FAILURE(queue.runUntilIdle());
}

TEST(HotkeyNamesTest, NamesKnownKeysAndSpellsOthersInHexadecimal) {
    const std::vector<std::pair<std::uint16_t, std::string>> cases{
        {54, "Right ⌘"}, {62, "Right ⌃"}, {63, "fn (Globe)"}, {80, "Caps Lock (F19)"},
        {122, "F1"},     {64, "F17"},     {0, "Key 0x0"},     {255, "Key 0xFF"},
    };
    for (const auto& [code, name] : cases) EXPECT_EQ(HotkeyNames::name(code), name) << code;
}

} // namespace
