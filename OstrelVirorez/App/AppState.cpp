#include "OstrelVirorez/App/AppState.hpp"

#include "OstrelVirorez/App/AppRewritingSettings.hpp"
#include "OstrelVirorez/App/ClipboardAccessing.hpp"
#include "OstrelVirorez/App/EngineTranscriber.hpp"
#include "OstrelVirorez/App/Log.hpp"
#include "OstrelVirorez/App/SettingsFileWatcher.hpp"
#include "OstrelVirorez/App/StatusItemSymbol.hpp"
#include "OstrelVirorez/Claude/ProfileMigrations.hpp"
#include "OstrelVirorez/Claude/RewriterRouter.hpp"
#include "OstrelVirorez/Claude/TextRewriting.hpp"
#include "OstrelVirorez/Engines/EngineManager.hpp"
#include "OstrelVirorez/Input/CorrectionLearningService.hpp"
#include "OstrelVirorez/Input/CorrectionWatchEnvironment.hpp"
#include "OstrelVirorez/Model/AppSettings.hpp"
#include "OstrelVirorez/Model/DictationHistoryStore.hpp"
#include "OstrelVirorez/Model/DictionaryService.hpp"
#include "OstrelVirorez/Model/KeychainHelper.hpp"
#include "OstrelVirorez/Model/SnippetService.hpp"
#include "OstrelVirorez/Services/ApiKeyStatus.hpp"
#include "Platform/Concurrency/MainQueue.hpp"
#include "Platform/Defaults/UserDefaults.hpp"

namespace ostrelvirorez {

std::shared_ptr<AppState> AppState::make(Services services) {
    auto appState = std::make_shared<AppState>(std::move(services), PassKey{});
    appState->mainQueue().post([weak = appState->weakSelf()] {
        if (const auto self = weak.lock()) self->setup();
    });
    return appState;
}

AppState::AppState(Services services, PassKey) : services_(std::move(services)) {
    services_.audioDeviceManager->refreshDevices();
    services_.audioDeviceManager->installDeviceChangeListener();
    publishHistoryProblems();
    apiKeyStatus_ = ApiKeyStatus::make(services_.keychain, services_.claudeKeychainKey, services_.mainQueue,
                                       services_.executor);
}

// The user learns of a history that cannot be saved where other failures show.
void AppState::publishHistoryProblems() {
    auto& history = *services_.dictationHistoryStore;
    if (const auto& problem = history.lastProblem()) lastErrorMessage.set(*problem);
    settingsCancellables_.push_back(
        history.problemReported().connect([this](const std::string& problem) { lastErrorMessage.set(problem); }));
}

AppState::~AppState() = default;

void AppState::setup() {
    if (isSetUp_) return;
    isSetUp_ = true;
    services_.statusBarController->setAppState(weakSelf());
    KeychainHelper::migrateFromFileIfNeeded(services_.keychain, services_.applicationSupportFolder);
    runMigrations();
    requestMicrophonePermission();
    requestAccessibilityIfNeeded();
    configureHotkeys();
    observeHotkeySettings();
    settingsFileWatcher_ = std::make_unique<SettingsFileWatcher>(settings().userDefaults(), mainQueue());
    services_.soundPlayer->preload();
    services_.mediaController->installTerminationGuard();
    mainQueue().post([self = shared_from_this()] { self->loadSelectedEngine(); });
    checkApiKeyPresent();
    forwardInputLevel();
    bindStatusItem();
    applyDockIconPreference();
    scheduleFirstRun();
}

void AppState::runMigrations() {
    AppSettings& settings = services_.settings;
    ProfileMigrations profiles(settings.userDefaults(), settings.rewritingProfileStore());
    profiles.migrateTemplatesIfNeeded();
    profiles.migrateOutputRulesIfNeeded();
    settings.migrateHotkeysIfNeeded();
    settings.migrateClaudeModelIfNeeded();
    profiles.migrateClaudeProfileIfNeeded();
    profiles.migrateClaudePromptV3IfNeeded();
}

void AppState::requestMicrophonePermission() {
    switch (services_.permissions->microphoneAuthorizationStatus()) {
    case CaptureAuthorizationStatus::restricted:
    case CaptureAuthorizationStatus::denied:
        logVirorez("Microphone permission denied \u2014 user needs to enable in System Settings");
        return;
    case CaptureAuthorizationStatus::authorized:
        logVirorez("Microphone permission already granted");
        return;
    case CaptureAuthorizationStatus::notDetermined:
        services_.permissions->requestMicrophoneAccess([](bool granted) {
            logVirorez(std::string("Microphone permission: ") + (granted ? "granted" : "denied"));
        });
        return;
    }
}

void AppState::requestAccessibilityIfNeeded() {
    if (services_.permissions->isAccessibilityTrusted()) {
        logVirorez("Accessibility permission already granted");
        return;
    }
    logVirorez("Accessibility permission not granted \u2014 requesting...");
    services_.permissions->requestAccessibilityTrust();
    accessibilityPollTask_.cancel();
    scheduleAccessibilityPoll();
}

void AppState::scheduleAccessibilityPoll() {
    accessibilityPollTask_ = mainQueue().postAfter(accessibilityPollInterval, [weak = weakSelf()] {
        const auto self = weak.lock();
        if (!self) return;
        if (!self->services_.permissions->isAccessibilityTrusted()) {
            self->scheduleAccessibilityPoll();
            return;
        }
        logVirorez("Accessibility permission granted \u2014 reinstalling hotkeys");
        self->services_.hotkeyManager->uninstall();
        self->services_.hotkeyManager->install();
    });
}

void AppState::loadSelectedEngine(std::function<void()> finished) {
    // Numbered here, on the main queue, so that whichever worker gets its
    // turn first, the engine chosen last is the one left loaded.
    const auto request = services_.engineManager->requestEngine(services_.settings.selectedEngine());
    runOffMain<Done>(
        services_.executor, mainQueue(),
        [self = shared_from_this(), request] {
            self->services_.engineManager->loadRequested(request);
            return Done{};
        },
        [finished = std::move(finished)](Attempt<Done> attempt) {
            if (!attempt.succeeded()) logVirorez("Engine load failed: " + describeError(attempt.error()));
            if (finished) finished();
        });
}

// Decided on the keychain's last answer, never by asking it here: a Secret
// Service that stops answering must not hold up the key press. While no
// answer has come the recording starts; the rewriter reads the key itself.
// Each press asks again, so that a key stored or removed elsewhere counts
// from the next press on.
bool AppState::apiKeyKnownMissing() {
    const bool missing = apiKeyStatus_->presence() == ApiKeyStatus::Presence::missing;
    apiKeyStatus_->refresh();
    return missing;
}

// Asked off the main queue, so that a keychain that does not answer cannot
// hold up the start or the settings window.
void AppState::checkApiKeyPresent() {
    apiKeyStatusWatch_ = apiKeyStatus_->changed().connect([this] {
        if (apiKeyStatus_->presence() == ApiKeyStatus::Presence::missing) {
            logVirorez("\u26A0\uFE0F  Claude API Key missing \u2014 please enter in Settings \u2192 Claude");
        }
    });
    apiKeyStatus_->refresh();
}

void AppState::forwardInputLevel() {
    services_.audioRecorder->setOnLevelUpdate([weak = weakSelf(), queue = &mainQueue()](float level) {
        queue->post([weak, level] {
            if (const auto self = weak.lock()) self->audioLevelMonitor.level.set(level);
        });
    });
}

void AppState::bindStatusItem() {
    auto showSymbol = [weak = weakSelf(), queue = &mainQueue()](const DictationState& value) {
        queue->post([weak, value] {
            if (const auto self = weak.lock()) {
                self->services_.statusBarController->setButtonImage(statusItemSymbol(value), "OstrelVirorez");
            }
        });
    };
    showSymbol(state.get());
    settingsCancellables_.push_back(state.observe(showSymbol));
}

void AppState::applyDockIconPreference() {
    const bool showDockIcon = services_.settings.userDefaults().boolOrFalse("showDockIcon");
    services_.activationPolicy->setActivationPolicy(showDockIcon ? ActivationPolicy::regular
                                                                 : ActivationPolicy::accessory);
}

void AppState::scheduleFirstRun() {
    if (services_.settings.onboardingCompleted()) return;
    mainQueue().postAfter(firstRunSettingsDelay, [weak = weakSelf()] {
        const auto self = weak.lock();
        if (!self) return;
        self->services_.settingsWindow->openSettingsWindow();
        self->mainQueue().postAfter(firstRunOnboardingDelay, [weak] {
            if (const auto self = weak.lock()) self->services_.settingsWindow->showOnboardingSheet();
        });
    });
}

std::string AppState::stateDescription() const {
    const DictationState& current = state.get();
    using Kind = DictationState::Kind;
    switch (current.kind()) {
    case Kind::idle: return "Idle";
    case Kind::recording:
        switch (*current.mode()) {
        case DictationMode::raw: return "Recording (Raw)";
        case DictationMode::claude: return "Recording (Claude)";
        case DictationMode::clipboardRewrite: return "Recording (Clipboard Rewrite)";
        }
        break;
    case Kind::transcribing: return "Transcribing";
    case Kind::rewriting: return "Rewriting";
    case Kind::rewritingClipboard: return "Rewriting Clipboard";
    case Kind::injecting: return "Injecting";
    case Kind::done: return "Done";
    case Kind::error: return "Error: " + current.message().value_or("");
    }
    return {};
}

RecordingPipeline& AppState::recordingPipeline() {
    if (!recordingPipeline_) {
        engineTranscriber_ = std::make_unique<EngineTranscriber>(*services_.engineManager);
        rewritingSettings_ = std::make_unique<AppRewritingSettings>(services_.settings);
        rewriterRouter_ = std::make_unique<RewriterRouter>(*services_.claudeRewriter, *services_.localRewriter,
                                                           *rewritingSettings_);
        recordingPipeline_ = std::make_shared<RecordingPipeline>(
            RecordingPipeline::Collaborators{*engineTranscriber_, *services_.dictionaryService,
                                             *services_.snippetService, *rewriterRouter_, *services_.clipboard},
            mainQueue(), services_.executor);
    }
    return *recordingPipeline_;
}

CorrectionLearningService& AppState::correctionLearningService() {
    if (!correctionLearningService_) {
        correctionLearningService_ = std::make_unique<CorrectionLearningService>(
            *services_.dictionaryService, *services_.correctionWatchEnvironment, mainQueue());
    }
    return *correctionLearningService_;
}

} // namespace ostrelvirorez
