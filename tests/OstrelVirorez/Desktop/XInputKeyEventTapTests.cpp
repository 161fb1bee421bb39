#include "OstrelVirorez/Input/X11/XInputKeyEventTap.hpp"

#include "OstrelVirorez/Input/HotkeyManager.hpp"
#include "Platform/Concurrency/ManualMainQueue.hpp"
#include "Platform/Core/Logger.hpp"
#include "tests/OstrelVirorez/Desktop/XTestKeyboard.hpp"
#include "tests/Support/ScopedEnvironment.hpp"
#include "tests/Support/XvfbServer.hpp"
#include "tests/Support/TestHost.hpp"

#include <gtest/gtest.h>
#include <X11/keysym.h>

#include <optional>
#include <string>
#include <vector>

namespace {

using namespace ostrelvirorez;
using namespace std::chrono_literals;

class XInputKeyEventTapTest : public ::testing::Test {
protected:
    void SetUp() override {
        environment.unset("WAYLAND_DISPLAY");
        environment.unset("XDG_SESSION_TYPE");
        REQUIRE_TEST_HOST(server.started(), server.failure());
        keyboard = std::make_unique<desktoptest::XTestKeyboard>(server.displayName());
    }

    // Reads events until `count` have arrived or a bounded wait passes.
    std::vector<KeyEvent> collect(x11::XInputKeyEventTap& tap, std::size_t count) {
        for (int round = 0; round < 50 && received.size() < count; ++round) tap.processPendingEvents(100ms);
        return received;
    }

    testsupport::ScopedEnvironment environment;
    testsupport::XvfbServer server;
    std::unique_ptr<desktoptest::XTestKeyboard> keyboard;
    std::vector<KeyEvent> received;
};

TEST_F(XInputKeyEventTapTest, TranslatesKeysAndTracksModifierBits) {
    x11::XInputKeyEventTap tap(nullptr, server.displayName());
    ASSERT_TRUE(tap.enable([this](const KeyEvent& event) { received.push_back(event); }));

    keyboard->press(XK_Super_R);
    keyboard->press(XK_Control_L);
    keyboard->tap(XK_F19);
    keyboard->release(XK_Control_L);
    keyboard->release(XK_Super_R);
    keyboard->tap(XK_Return);
    keyboard->tap(XK_KP_Enter);
    keyboard->tap(XK_Tab);
    keyboard->tap(XK_Caps_Lock);

    const std::vector<KeyEvent> expected{
        {KeyEventType::flagsChanged, 54, 0x10},   {KeyEventType::flagsChanged, 59, 0x11},
        {KeyEventType::keyDown, 80, 0x11},        {KeyEventType::keyUp, 80, 0x11},
        {KeyEventType::flagsChanged, 59, 0x10},   {KeyEventType::flagsChanged, 54, 0},
        {KeyEventType::keyDown, 36, 0},           {KeyEventType::keyUp, 36, 0},
        {KeyEventType::keyDown, 76, 0},           {KeyEventType::keyUp, 76, 0},
        {KeyEventType::keyDown, 48, 0},           {KeyEventType::keyUp, 48, 0},
        {KeyEventType::flagsChanged, 57, 0},      {KeyEventType::flagsChanged, 57, 0},
    };
    EXPECT_EQ(collect(tap, expected.size()), expected);
}

TEST_F(XInputKeyEventTapTest, RightAltAndAltGrBothCountAsRightOption) {
    x11::XInputKeyEventTap tap(nullptr, server.displayName());
    ASSERT_TRUE(tap.enable([this](const KeyEvent& event) { received.push_back(event); }));
    keyboard->tap(XK_ISO_Level3_Shift);
    keyboard->tap(XK_Shift_R);
    const std::vector<KeyEvent> expected{
        {KeyEventType::flagsChanged, 61, 0x40}, {KeyEventType::flagsChanged, 61, 0},
        {KeyEventType::flagsChanged, 60, 0x04}, {KeyEventType::flagsChanged, 60, 0},
    };
    EXPECT_EQ(collect(tap, expected.size()), expected);
}

TEST_F(XInputKeyEventTapTest, DrivesTheHotkeyManagerEndToEnd) {
    platform::ManualMainQueue queue;
    auto owned = std::make_unique<x11::XInputKeyEventTap>(nullptr, server.displayName());
    auto& tap = *owned;
    HotkeyManager manager(queue, std::move(owned));
    std::vector<std::string> calls;
    manager.setOnRecordingStart([&](DictationMode mode) { calls.push_back("start " + std::string(rawValue(mode))); });
    manager.setOnModeUpgrade([&](DictationMode mode) { calls.push_back("upgrade " + std::string(rawValue(mode))); });
    manager.setOnRecordingStop([&] { calls.push_back("stop"); });
    manager.install();
    queue.runUntilIdle();
    ASSERT_TRUE(manager.eventTapActive.get());

    keyboard->press(XK_Super_R);
    keyboard->tap(XK_Control_R);
    keyboard->release(XK_Super_R);
    for (int round = 0; round < 50 && calls.size() < 3; ++round) tap.processPendingEvents(100ms);
    EXPECT_EQ(calls, (std::vector<std::string>{"start raw", "upgrade clipboardRewrite", "stop"}));
}

TEST_F(XInputKeyEventTapTest, AWaylandSessionOffersNoTap) {
    environment.set("WAYLAND_DISPLAY", "wayland-0");
    platform::ScopedLogCapture logs;
    platform::ManualMainQueue queue;
    HotkeyManager manager(queue, std::make_unique<x11::XInputKeyEventTap>(nullptr, server.displayName()));
    manager.install();
    queue.runUntilIdle();
    EXPECT_FALSE(manager.eventTapActive.get());
    EXPECT_TRUE(logs.contains("HotkeyManager: Event Tap FAILED — Accessibility permission required"));
}

// The permission line is the one the hotkey manager always writes; the line
// after it names what this desktop session really lacks.
TEST(XInputKeyEventTapWithoutServer, TheLogSaysWhatTheSessionLacks) {
    struct Case {
        const char* name;
        std::string displayName;
        std::optional<std::string> displayVariable;
        std::optional<std::string> waylandDisplay;
        std::string cause;
    };
    const Case cases[] = {
        {"no display at all", "", std::nullopt, std::nullopt,
         "HotkeyManager: no X11 display to listen on for hotkeys (DISPLAY is not set)"},
        {"a display nobody serves", "", ":65000", std::nullopt,
         "HotkeyManager: the X11 display \":65000\" cannot be opened, so hotkeys cannot be heard"},
        {"a display named by the owner", ":65001", std::nullopt, std::nullopt,
         "HotkeyManager: the X11 display \":65001\" cannot be opened, so hotkeys cannot be heard"},
        {"a Wayland session", "", ":0", "wayland-0",
         "HotkeyManager: global hotkeys need an X11 session; a Wayland session lets no application listen to "
         "the keys of others"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::ScopedEnvironment environment;
        environment.unset("XDG_SESSION_TYPE");
        if (c.displayVariable) environment.set("DISPLAY", *c.displayVariable);
        else environment.unset("DISPLAY");
        if (c.waylandDisplay) environment.set("WAYLAND_DISPLAY", *c.waylandDisplay);
        else environment.unset("WAYLAND_DISPLAY");
        platform::ScopedLogCapture logs;
        platform::ManualMainQueue queue;
        HotkeyManager manager(queue, std::make_unique<x11::XInputKeyEventTap>(nullptr, c.displayName));
        manager.install();
        queue.runUntilIdle();

        EXPECT_FALSE(manager.eventTapActive.get());
        const auto records = logs.sink().records();
        ASSERT_EQ(records.size(), 2u);
        EXPECT_EQ(records[0].message, "HotkeyManager: Event Tap FAILED — Accessibility permission required");
        EXPECT_EQ(records[1].message, c.cause);
        EXPECT_EQ(records[1].level, platform::LogLevel::warning);
    }
}

} // namespace
