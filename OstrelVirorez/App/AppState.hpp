#pragma once
// The application's model object and the owner of every service: publishes
// the dictation state and the values the status item, the indicator and the
// settings window show; runs the one-time set-up (migrations, permissions,
// hotkeys, engine load, first-run onboarding); and runs the dictation state
// machine that turns hotkey presses into pasted text. Confined to the main
// queue; blocking engine and rewriter work runs on the given executor.

#include "OstrelVirorez/App/BackgroundWork.hpp"
#include "OstrelVirorez/App/LiveTranscriptMonitor.hpp"
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
#include "OstrelVirorez/App/Published.hpp"
#include "OstrelVirorez/App/RecordingPipeline.hpp"
#include "OstrelVirorez/Audio/AudioLevelMonitor.hpp"
#include "OstrelVirorez/Model/DictationState.hpp"
#include "Platform/Concurrency/TimerHandle.hpp"
#include "Platform/Core/Signal.hpp"

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {
class Keychain;
class MainQueue;
} // namespace platform

namespace ostrelvirorez {

class ApiKeyStatus;
class AppSettings;
class AudioTranscribing;
class ClipboardAccessing;
class CorrectionLearningService;
class CorrectionWatchEnvironment;
class DictationHistoryStore;
class DictionaryService;
class EngineManager;
class RewritingSettings;
class SettingsFileWatcher;
class SnippetService;
class TextRewriting;

class AppState : public std::enable_shared_from_this<AppState> {
public:
    static constexpr std::chrono::milliseconds doneReturnDelay{800};
    static constexpr std::chrono::milliseconds errorReturnDelay{1500};
    static constexpr std::chrono::milliseconds hotkeySettingsDebounce{100};
    static constexpr std::chrono::seconds accessibilityPollInterval{2};
    static constexpr std::chrono::seconds firstRunSettingsDelay{1};
    static constexpr std::chrono::milliseconds firstRunOnboardingDelay{300};
    static constexpr std::chrono::milliseconds shortestLiveTranscriptInterval{500};

    // The services, made by the caller in this order; each lives as long as
    // the application state.
    struct Services {
        platform::MainQueue& mainQueue;
        Executor executor;
        AppSettings& settings;
        platform::Keychain& keychain;
        // Where the legacy credentials file is looked for.
        std::filesystem::path applicationSupportFolder;
        std::unique_ptr<AudioRecording> audioRecorder;
        std::unique_ptr<SoundPlaying> soundPlayer;
        std::unique_ptr<HotkeyListening> hotkeyManager;
        std::unique_ptr<CapsLockRemapping> capsLockRemapper;
        std::unique_ptr<TargetAppDetecting> targetAppDetector;
        std::unique_ptr<TextInserting> textInjector;
        std::unique_ptr<MediaControlling> mediaController;
        std::unique_ptr<TextRewriting> claudeRewriter;
        // The keychain item of the hosted rewriter's API key.
        std::string claudeKeychainKey;
        std::unique_ptr<TextRewriting> localRewriter;
        std::unique_ptr<IndicatorCoordinating> indicatorCoordinator;
        std::unique_ptr<EngineManager> engineManager;
        std::unique_ptr<AudioDeviceManaging> audioDeviceManager;
        std::unique_ptr<DictionaryService> dictionaryService;
        std::unique_ptr<SnippetService> snippetService;
        std::unique_ptr<DictationHistoryStore> dictationHistoryStore;
        std::unique_ptr<StatusItemControlling> statusBarController;
        std::unique_ptr<PermissionChecking> permissions;
        std::unique_ptr<SettingsWindowOpening> settingsWindow;
        std::unique_ptr<ActivationPolicySetting> activationPolicy;
        std::unique_ptr<ClipboardAccessing> clipboard;
        std::unique_ptr<CorrectionWatchEnvironment> correctionWatchEnvironment;
    };

    // Reads the input devices, starts following their changes and queues
    // set-up on the main queue.
    static std::shared_ptr<AppState> make(Services services);
    ~AppState();
    AppState(const AppState&) = delete;
    AppState& operator=(const AppState&) = delete;

    // The one-time set-up; later calls do nothing.
    void setup();
    // Loads the selected engine off the main queue; a failure is logged.
    // `finished` runs on the main queue once the load has ended.
    void loadSelectedEngine(std::function<void()> finished = {});
    std::string stateDescription() const;

    Published<DictationState> state{DictationState::idle()};
    Published<std::string> targetAppName{std::string{}};
    Published<std::optional<std::string>> targetAppIcon{std::nullopt};
    Published<std::optional<std::string>> lastErrorMessage{std::nullopt};
    Published<std::string> lastTranscript{std::string{}};
    AudioLevelMonitor audioLevelMonitor;
    LiveTranscriptMonitor liveTranscriptMonitor;

    AppSettings& settings() const { return services_.settings; }
    EngineManager& engineManager() const { return *services_.engineManager; }
    DictionaryService& dictionaryService() const { return *services_.dictionaryService; }
    SnippetService& snippetService() const { return *services_.snippetService; }
    DictationHistoryStore& dictationHistoryStore() const { return *services_.dictationHistoryStore; }
    HotkeyListening& hotkeyManager() const { return *services_.hotkeyManager; }
    AudioDeviceManaging& audioDeviceManager() const { return *services_.audioDeviceManager; }
    PermissionChecking& permissions() const { return *services_.permissions; }
    ActivationPolicySetting& activationPolicy() const { return *services_.activationPolicy; }
    platform::Keychain& keychain() const { return services_.keychain; }
    // Whether the API key is stored, read without waiting for the keychain.
    ApiKeyStatus& apiKeyStatus() const { return *apiKeyStatus_; }
    const std::string& claudeKeychainKey() const { return services_.claudeKeychainKey; }
    platform::MainQueue& mainQueue() const { return services_.mainQueue; }
    bool isSetUp() const { return isSetUp_; }

private:
    struct LiveTranscriptLoop;
    struct PassKey {};

public:
    AppState(Services services, PassKey);

private:
    std::weak_ptr<AppState> weakSelf() { return weak_from_this(); }

    void publishHistoryProblems();

    // Set-up steps.
    void runMigrations();
    void requestMicrophonePermission();
    void requestAccessibilityIfNeeded();
    void scheduleAccessibilityPoll();
    void checkApiKeyPresent();
    void forwardInputLevel();
    void bindStatusItem();
    void applyDockIconPreference();
    void scheduleFirstRun();

    // Hotkey wiring.
    void configureHotkeys();
    void observeHotkeySettings();
    void syncHotkeyCodesFromSettings();
    void applyCapsLockDecision();

    // Dictation control.
    void startRecording(DictationMode mode);
    void refuseStart(DictationMode mode, const std::string& message, bool withErrorSound);
    void selectInputDevice();
    void upgradeRecordingMode(DictationMode mode);
    void stopRecording(std::function<void()> finished = {});
    void runPipeline(DictationMode mode, std::shared_ptr<std::optional<platform::audio::PCMBuffer>> recording,
                     std::function<void()> finished);
    RecordingPipeline::Context makeContext(DictationMode mode);
    // False when the text could not be pasted (it is then on the clipboard).
    bool deliver(DictationMode mode, const RecordingPipeline::Outcome& outcome);
    void transition(DictationState newState);
    void playSound(SoundEvent event);
    bool apiKeyKnownMissing();
    // The preferred language, absent when automatic.
    std::optional<std::string> languageHint() const;

    // Live transcript preview.
    void startLiveTranscriptIfEnabled();
    void stopLiveTranscript();
    void runLiveTranscriptPass(std::shared_ptr<LiveTranscriptLoop> loop);
    void scheduleLiveTranscriptPass(std::shared_ptr<LiveTranscriptLoop> loop);

    RecordingPipeline& recordingPipeline();
    CorrectionLearningService& correctionLearningService();

    Services services_;
    std::unique_ptr<AudioTranscribing> engineTranscriber_;
    std::unique_ptr<RewritingSettings> rewritingSettings_;
    std::unique_ptr<TextRewriting> rewriterRouter_;
    std::shared_ptr<RecordingPipeline> recordingPipeline_;
    std::unique_ptr<CorrectionLearningService> correctionLearningService_;
    std::vector<platform::Connection> settingsCancellables_;
    std::unique_ptr<SettingsFileWatcher> settingsFileWatcher_;
    std::shared_ptr<ApiKeyStatus> apiKeyStatus_;
    platform::Connection apiKeyStatusWatch_;
    bool isSetUp_ = false;
    std::optional<std::string> capturedWindowTitle_;
    platform::TimerHandle accessibilityPollTask_;
    std::shared_ptr<LiveTranscriptLoop> liveTranscriptTask_;
    // The full name of the target application; targetAppName is cut for display.
    std::string capturedAppName_;
    // The pending return to idle, owned by the done or error state that set it.
    platform::TimerHandle returnToIdleTask_;
    platform::TimerHandle hotkeySyncTask_;
    // A stop is running; a second stop or an upgrade meanwhile is ignored.
    bool isStopping_ = false;
};

} // namespace ostrelvirorez
