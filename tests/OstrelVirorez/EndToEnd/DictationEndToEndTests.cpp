// The application as a user runs it: the desktop services over a private X
// server and a private sound server, a scripted engine in place of the
// model, and a hold of right Super that should end as pasted text.

#include "OstrelVirorez/App/DesktopServices.hpp"
#include "OstrelVirorez/Input/HotkeyManager.hpp"
#include "OstrelVirorez/Input/TextInjector.hpp"
#include "OstrelVirorez/Input/X11/X11Clipboard.hpp"
#include "OstrelVirorez/Model/AppSettings.hpp"
#include "Platform/Audio/AudioFormat.hpp"
#include "Platform/Defaults/UserDefaults.hpp"
#include "tests/OstrelVirorez/Desktop/DesktopWindows.hpp"
#include "tests/OstrelVirorez/Desktop/XTestKeyboard.hpp"
#include "tests/OstrelVirorez/EndToEnd/ClipboardOwner.hpp"
#include "tests/OstrelVirorez/EndToEnd/PasteTargetWindow.hpp"
#include "tests/OstrelVirorez/EndToEnd/WakingMainQueue.hpp"
#include "tests/OstrelVirorez/State/StateFakes.hpp"
#include "tests/OstrelVirorez/State/StateTestSupport.hpp"
#include "tests/Support/PulseAudioTestServer.hpp"
#include "tests/Support/ScopedEnvironment.hpp"
#include "tests/Support/TemporaryDirectory.hpp"
#include "tests/Support/XvfbServer.hpp"
#include "tests/Support/TestHost.hpp"

#include <gtest/gtest.h>
#include <X11/keysym.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <thread>

namespace ostrelvirorez::endtoend {
namespace {

using namespace std::chrono_literals;
using ostrelvirorez::testing::EngineScript;

constexpr float toneAmplitude = 0.5f;
// Whole capture blocks of the 48 kHz test microphone.
constexpr std::uint32_t toneFrames = 12 * 1024;
// A level only the tone reaches; silence reads as 0.
constexpr float toneLevel = 0.5f;
const std::string dictatedText = "Grüße vom Testsignal.";

// Interleaved stereo frames of a 440 Hz sine on both channels, at the test microphone's rate.
std::vector<float> stereoTone(std::uint32_t frames, float amplitude) {
    const double rate = testsupport::PulseAudioTestServer::microphoneRate;
    std::vector<float> samples(std::size_t{frames} * 2);
    for (std::uint32_t frame = 0; frame < frames; ++frame) {
        const auto value = amplitude * static_cast<float>(std::sin(2 * std::numbers::pi * 440 * frame / rate));
        samples[2 * frame] = samples[2 * frame + 1] = value;
    }
    return samples;
}

float peak(std::span<const float> samples) {
    float largest = 0;
    for (const float sample : samples) largest = std::max(largest, std::abs(sample));
    return largest;
}

// What the user had copied before dictating, in more than one type.
ClipboardSnapshot copiedByTheUser() {
    return {{{"UTF8_STRING", "UTF8_STRING", 8, "copied by the user"},
             {"text/html", "text/html", 8, "<b>copied</b> by the user"}}};
}

class DictationEndToEndTest : public ::testing::Test {
protected:
    void SetUp() override {
        REQUIRE_TEST_HOST(display.started(), display.failure());
        REQUIRE_TEST_HOST(sound.running(), sound.failure());
        // The services find the session through the environment, as the application does.
        session.set("DISPLAY", display.displayName());
        for (const char* name : {"WAYLAND_DISPLAY", "XDG_SESSION_TYPE", "DBUS_SESSION_BUS_ADDRESS", "AT_SPI_BUS_ADDRESS"}) {
            session.unset(name);
        }
        session.set("XDG_DATA_HOME", (folder / "data").string());
        session.set("XDG_DATA_DIRS", (folder / "system").string());
        session.set("XDG_CACHE_HOME", (folder / "cache").string());
        settings.setOnboardingCompleted(true);
        script->answers = {dictatedText};
    }

    void TearDown() override {
        if (!appState) return;
        // Pending returns to idle hold the state; let them run so it is released.
        queue.advance(5s);
        observers.clear();
        appState.reset();
        queue.runUntilIdle();
    }

    // Builds the desktop services and the state, and waits until set-up has
    // loaded the engine and the hotkey listener hears the X session.
    void launch() {
        auto ownedIndicator = std::make_unique<ostrelvirorez::testing::FakeIndicator>();
        indicator = ownedIndicator.get();
        auto services = DesktopServices::make(
            DesktopServices::Context{queue, sharedPoolExecutor(), settings, keychain,
                                     ostrelvirorez::testing::scriptedEngineFactory(script)},
            DesktopServices::UserInterface{std::move(ownedIndicator),
                                           std::make_unique<ostrelvirorez::testing::FakeStatusItem>(),
                                           std::make_unique<ostrelvirorez::testing::FakeSettingsWindow>(),
                                           std::make_unique<ostrelvirorez::testing::FakeActivationPolicy>()});
        hotkeys = dynamic_cast<HotkeyManager*>(services.hotkeyManager.get());
        ASSERT_NE(hotkeys, nullptr);
        appState = AppState::make(std::move(services));
        observers.push_back(appState->state.observe(
            [this](const DictationState&) { states.push_back(appState->stateDescription()); }));
        observers.push_back(appState->audioLevelMonitor.level.observe(
            [this](const float& level) { loudestLevel = std::max(loudestLevel, level); }));
        ASSERT_TRUE(queue.runUntil([this] {
            return appState->isSetUp() && hotkeys->eventTapActive.get() &&
                   appState->engineManager().currentType() == settings.selectedEngine();
        })) << "set-up did not finish";
    }

    // What another application reads from the clipboard now. The main queue
    // runs meanwhile, since the application answers clipboard requests there.
    std::optional<ClipboardSnapshot> clipboardContent() {
        auto content = std::make_shared<std::optional<ClipboardSnapshot>>();
        std::jthread reader([this, content] {
            const auto clipboard = x11::X11Clipboard::open(display.displayName());
            auto snapshot = clipboard ? clipboard->snapshot() : ClipboardSnapshot{};
            queue.post([content, snapshot = std::move(snapshot)] { *content = snapshot; });
        });
        queue.runUntil([&] { return content->has_value(); });
        return *content;
    }

    testsupport::TemporaryDirectory folder;
    testsupport::XvfbServer display;
    testsupport::PulseAudioTestServer sound;
    testsupport::ScopedEnvironment session;
    WakingMainQueue queue;
    platform::UserDefaults defaults{folder / "defaults.json"};
    AppSettings settings{defaults};
    ostrelvirorez::testing::MemoryKeychain keychain;
    std::shared_ptr<EngineScript> script = std::make_shared<EngineScript>();

    std::vector<std::string> states;
    float loudestLevel = 0;
    std::vector<std::string> pastes;
    // Owned by the state; valid while it lives.
    ostrelvirorez::testing::FakeIndicator* indicator = nullptr;
    HotkeyManager* hotkeys = nullptr;
    std::shared_ptr<AppState> appState;
    std::vector<platform::Connection> observers;
};

TEST_F(DictationEndToEndTest, HoldingRightSuperPastesTheDictationIntoTheFocusedWindowAndGivesBackTheClipboard) {
    ClipboardOwner copiedBefore(display.displayName(), copiedByTheUser());
    PasteTargetWindow target(display.displayName(), "editor", "Editor", "Notes.txt", [this](const std::string& text) {
        queue.post([this, text] { pastes.push_back(text); });
    });
    desktoptest::DesktopWindows desktop(display.displayName());
    desktop.activate(target.window());
    ASSERT_NO_FATAL_FAILURE(launch());
    desktoptest::XTestKeyboard keyboard(display.displayName());

    keyboard.press(XK_Super_R);
    ASSERT_TRUE(queue.runUntil([this] { return !states.empty(); })) << "the key press started nothing";
    ASSERT_EQ(states.front(), "Recording (Raw)");
    EXPECT_EQ(appState->targetAppName.get(), "Editor");
    EXPECT_EQ(indicator->shows, 1);

    ASSERT_TRUE(sound.feedMicrophone(stereoTone(toneFrames, toneAmplitude)));
    ASSERT_TRUE(queue.runUntil([this] { return loudestLevel > toneLevel; }))
        << "the tone never reached the recorder; loudest level " << loudestLevel;
    keyboard.release(XK_Super_R);
    ASSERT_TRUE(queue.runUntil([this] { return states.size() >= 4; }))
        << "the dictation did not finish; states so far: " << ::testing::PrintToString(states);
    EXPECT_EQ(states, (std::vector<std::string>{"Recording (Raw)", "Transcribing", "Injecting", "Done"}));

    ASSERT_EQ(script->recordings.size(), 1u);
    const auto& recording = script->recordings.front();
    EXPECT_EQ(recording.format(), platform::audio::AudioFormat::standard());
    // At least the first captured block, at most the whole tone, at 16 kHz.
    EXPECT_GE(recording.frameLength(), 1024u / 3 - 50);
    EXPECT_LE(recording.frameLength(), toneFrames / 3 + 50);
    EXPECT_NEAR(peak(recording.floatChannel(0)), toneAmplitude, 0.05f);

    // The paste is awaited with nothing else touching the clipboard, so a
    // request the injector read during its own round trip must still be answered.
    ASSERT_TRUE(queue.runUntil([this] { return !pastes.empty(); })) << "the window received no paste";
    EXPECT_EQ(pastes, std::vector<std::string>{dictatedText});
    const auto whileShown = clipboardContent();
    ASSERT_TRUE(whileShown.has_value());
    ASSERT_FALSE(whileShown->entries.empty());
    EXPECT_EQ(whileShown->entries.front().data, dictatedText);

    queue.advance(TextInjector::restoreDelay);
    EXPECT_EQ(clipboardContent(), copiedByTheUser());

    queue.advance(AppState::doneReturnDelay - TextInjector::restoreDelay - 1ms);
    EXPECT_EQ(states.back(), "Done");
    queue.advance(1ms);
    EXPECT_EQ(states.back(), "Idle");
    EXPECT_EQ(indicator->hides, 1);
    EXPECT_EQ(pastes.size(), 1u);
}

} // namespace
} // namespace ostrelvirorez::endtoend
