#pragma once
// Recording fakes of the application state's collaborators.

#include "OstrelVirorez/App/ClipboardAccessing.hpp"
#include "OstrelVirorez/App/Ports/ActivationPolicySetting.hpp"
#include "OstrelVirorez/App/Ports/AudioDeviceManaging.hpp"
#include "OstrelVirorez/App/Ports/AudioRecording.hpp"
#include "OstrelVirorez/App/Ports/CapsLockRemapping.hpp"
#include "OstrelVirorez/App/Ports/HotkeyListening.hpp"
#include "OstrelVirorez/App/Ports/IndicatorCoordinating.hpp"
#include "OstrelVirorez/App/Ports/MediaControlling.hpp"
#include "OstrelVirorez/App/Ports/PermissionChecking.hpp"
#include "OstrelVirorez/App/Ports/SettingsWindowOpening.hpp"
#include "OstrelVirorez/App/Ports/SoundPlaying.hpp"
#include "OstrelVirorez/App/Ports/StatusItemControlling.hpp"
#include "OstrelVirorez/App/Ports/TargetAppDetecting.hpp"
#include "OstrelVirorez/App/Ports/TextInserting.hpp"
#include "OstrelVirorez/Claude/TextRewriting.hpp"
#include "OstrelVirorez/Input/CorrectionWatchEnvironment.hpp"
#include "Platform/Keychain/Keychain.hpp"

#include <map>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace ostrelvirorez::testing {

// 0.1 s of 16 kHz mono float samples.
platform::audio::PCMBuffer makeRecording(std::uint32_t frames = 1600);

class FakeRecorder final : public AudioRecording {
public:
    void startRecording() override {
        ++starts;
        if (startFails) throw std::runtime_error("capture device busy");
        recording = true;
    }
    std::optional<platform::audio::PCMBuffer> stopRecording() override {
        ++stops;
        if (!recording) return std::nullopt;
        recording = false;
        return captured;
    }
    std::optional<platform::audio::PCMBuffer> snapshotBuffer() override {
        ++snapshots;
        return recording ? captured : std::nullopt;
    }
    void setOnLevelUpdate(std::function<void(float)> callback) override { onLevel = std::move(callback); }
    void setInputDevice(std::uint32_t deviceID) override { inputDevice = deviceID; }

    bool startFails = false;
    bool recording = false;
    std::optional<platform::audio::PCMBuffer> captured = makeRecording();
    int starts = 0;
    int stops = 0;
    int snapshots = 0;
    std::function<void(float)> onLevel;
    std::optional<std::uint32_t> inputDevice;
};

class FakeSoundPlayer final : public SoundPlaying {
public:
    void preload() override { ++preloads; }
    void play(SoundEvent event) override { played.push_back(event); }

    int preloads = 0;
    std::vector<SoundEvent> played;
};

class FakeHotkeys final : public HotkeyListening {
public:
    KeyCodes virorezKeyCodes() const override { return virorez; }
    void setVirorezKeyCodes(KeyCodes codes) override { virorez = std::move(codes); }
    KeyCodes claudeKeyCodes() const override { return claude; }
    void setClaudeKeyCodes(KeyCodes codes) override { claude = std::move(codes); }
    KeyCodes clipboardKeyCodes() const override { return clipboard; }
    void setClipboardKeyCodes(KeyCodes codes) override { clipboard = std::move(codes); }
    void setOnRecordingStart(std::function<void(DictationMode)> callback) override { onStart = std::move(callback); }
    void setOnRecordingStop(std::function<void()> callback) override { onStop = std::move(callback); }
    void setOnModeUpgrade(std::function<void(DictationMode)> callback) override { onUpgrade = std::move(callback); }
    void install() override { calls.push_back("install"); }
    void uninstall() override { calls.push_back("uninstall"); }

    KeyCodes virorez{54};
    KeyCodes claude{61};
    KeyCodes clipboard{62};
    std::function<void(DictationMode)> onStart;
    std::function<void()> onStop;
    std::function<void(DictationMode)> onUpgrade;
    std::vector<std::string> calls;
};

class FakeCapsLock final : public CapsLockRemapping {
public:
    bool apply() override {
        calls.push_back("apply");
        return true;
    }
    bool revert() override {
        calls.push_back("revert");
        return true;
    }
    void installTerminationGuard() override { ++guards; }

    std::vector<std::string> calls;
    int guards = 0;
};

class FakeDetector final : public TargetAppDetecting {
public:
    TargetAppInfo captureCurrentApp() override {
        ++captures;
        lastBundle = current.bundleIdentifier.value_or("default");
        lastName = fullName;
        return current;
    }
    std::optional<std::string> captureWindowTitle() override { return windowTitle; }
    std::string lastBundleIdentifier() const override { return lastBundle; }
    std::string lastAppName() const override { return lastName; }

    // Reports `name` cut to 12 characters, as the real detector does.
    void setFrontmost(const std::string& name, const std::string& bundle) {
        fullName = name;
        current = {name.substr(0, 12), "icon-" + bundle, bundle};
    }

    TargetAppInfo current{"TextEdit", "icon-textedit", "com.example.textedit"};
    std::string fullName = "TextEdit";
    std::optional<std::string> windowTitle = "Notes.txt";
    std::string lastBundle = "default";
    std::string lastName;
    int captures = 0;
};

// Records what was pasted; with `pasteWorks` false the paste keystroke
// cannot be synthesized and both calls report failure.
class FakeInjector final : public TextInserting {
public:
    bool injectText(const std::string& text) override {
        injected.push_back(text);
        return pasteWorks;
    }
    bool simulatePaste() override {
        ++pastes;
        return pasteWorks;
    }

    bool pasteWorks = true;
    std::vector<std::string> injected;
    int pastes = 0;
};

// An output volume (absent: unreadable) and the ducking rules of the real
// controller: a volume still lowered by an earlier recording is not saved again.
class FakeMedia final : public MediaControlling {
public:
    void sendPlayPauseKey() override { ++playPauseKeys; }
    void duckVolume(float level) override {
        if (!saved) {
            if (!volume) return;
            saved = volume;
        }
        setVolume(level * *saved);
    }
    void restoreVolume() override {
        if (!saved) return;
        setVolume(*std::exchange(saved, std::nullopt));
    }
    bool didPause() const override { return paused; }
    void setDidPause(bool value) override { paused = value; }
    void installTerminationGuard() override { ++guards; }

    int playPauseKeys = 0;
    std::optional<float> volume = 0.5f;
    std::vector<float> volumesSet;
    bool paused = false;
    std::optional<float> saved;
    int guards = 0;

private:
    void setVolume(float value) {
        volume = value;
        volumesSet.push_back(value);
    }
};

// Answers each rewrite with `answer`, or throws `failure` when set.
class FakeRewriter final : public TextRewriting {
public:
    struct Call {
        std::string rawText;
        std::string appBundleIdentifier;
        std::string appName;
        std::vector<std::string> customVocabulary;
        bool isClipboard;
        std::optional<std::string> clipboardContext;
        std::optional<std::string> voiceInstructions;
        std::optional<RewritingProfile> profileOverride;
        std::optional<std::string> windowTitle;
    };

    std::string rewrite(const std::string& rawText, const std::string& appBundleIdentifier,
                        const std::string& appName, const std::vector<std::string>& customVocabulary,
                        bool isClipboard, const std::optional<std::string>& clipboardContext,
                        const std::optional<std::string>& voiceInstructions,
                        const std::optional<RewritingProfile>& profileOverride,
                        const std::optional<std::string>& windowTitle) override {
        calls.push_back({rawText, appBundleIdentifier, appName, customVocabulary, isClipboard, clipboardContext,
                         voiceInstructions, profileOverride, windowTitle});
        if (failure) throw std::runtime_error(*failure);
        return answer;
    }

    std::string answer = "Rewritten.";
    std::optional<std::string> failure;
    std::vector<Call> calls;
};

class FakeIndicator final : public IndicatorCoordinating {
public:
    void show(AppState&) override { ++shows; }
    void hide() override { ++hides; }

    int shows = 0;
    int hides = 0;
};

class FakeDevices final : public AudioDeviceManaging {
public:
    void refreshDevices() override { calls.push_back("refresh"); }
    void installDeviceChangeListener() override { calls.push_back("listen"); }
    std::vector<AudioInputDevice> inputDevices() const override { return devices; }

    std::vector<AudioInputDevice> devices{{0, "System Default", ""}, {7, "USB Microphone", "usb-mic"}};
    std::vector<std::string> calls;
};

class FakeStatusItem final : public StatusItemControlling {
public:
    void setAppState(std::weak_ptr<AppState> state) override { linked = std::move(state); }
    void setButtonImage(const std::string& symbolName, const std::string& description) override {
        symbols.push_back(symbolName);
        accessibilityDescription = description;
    }

    std::weak_ptr<AppState> linked;
    std::vector<std::string> symbols;
    std::string accessibilityDescription;
};

class FakePermissions final : public PermissionChecking {
public:
    CaptureAuthorizationStatus microphoneAuthorizationStatus() const override { return microphone; }
    void requestMicrophoneAccess(std::function<void(bool)> answer) override {
        ++microphoneRequests;
        answer(grantOnRequest);
    }
    bool isAccessibilityTrusted() const override { return accessibilityTrusted; }
    bool requestAccessibilityTrust() override {
        ++accessibilityPrompts;
        return accessibilityTrusted;
    }

    CaptureAuthorizationStatus microphone = CaptureAuthorizationStatus::authorized;
    bool grantOnRequest = true;
    bool accessibilityTrusted = true;
    int microphoneRequests = 0;
    int accessibilityPrompts = 0;
};

class FakeSettingsWindow final : public SettingsWindowOpening {
public:
    void openSettingsWindow() override { events.push_back("openSettingsWindow"); }
    void showOnboardingSheet() override { events.push_back("showOnboardingSheet"); }

    std::vector<std::string> events;
};

class FakeActivationPolicy final : public ActivationPolicySetting {
public:
    void setActivationPolicy(ActivationPolicy value) override { policy = value; }

    std::optional<ActivationPolicy> policy;
};

class FakeClipboard final : public ClipboardAccessing {
public:
    std::optional<std::string> readText() override { return text; }
    void writeText(const std::string& value) override {
        text = value;
        ++writes;
    }

    std::optional<std::string> text;
    int writes = 0;
};

// No frontmost application, so every watch ends at its first check; the
// checks are counted.
class FakeCorrectionEnvironment final : public CorrectionWatchEnvironment {
public:
    std::optional<std::string> frontmostBundleIdentifier() const override {
        ++frontmostQueries;
        return std::nullopt;
    }
    std::optional<FieldSnapshot> captureFocusedElementSnapshot() override { return std::nullopt; }
    void setOnCommitKeySignal(std::function<void()>) override {}
    platform::Connection observeApplicationActivation(std::function<void()>) override { return {}; }

    mutable int frontmostQueries = 0;
};

class MemoryKeychain final : public platform::Keychain {
public:
    std::optional<std::string> password(const std::string& service, const std::string& account) override {
        const auto found = items.find(service + "/" + account);
        if (found == items.end()) return std::nullopt;
        return found->second;
    }
    void setPassword(const std::string& service, const std::string& account, const std::string& value) override {
        items[service + "/" + account] = value;
    }
    bool removePassword(const std::string& service, const std::string& account) override {
        return items.erase(service + "/" + account) > 0;
    }

    std::map<std::string, std::string> items;
};

} // namespace ostrelvirorez::testing
