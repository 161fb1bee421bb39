// The dictation state machine: what a hotkey press, a mode upgrade and a
// release do, and the timed returns to idle.

#include "OstrelVirorez/App/AppState.hpp"

#include "OstrelVirorez/App/EngineDisplayName.hpp"
#include "OstrelVirorez/App/FillerWordFilter.hpp"
#include "OstrelVirorez/App/Log.hpp"
#include "OstrelVirorez/App/SpokenPunctuation.hpp"
#include "OstrelVirorez/Claude/RewritingProfileList.hpp"
#include "OstrelVirorez/Engines/EngineManager.hpp"
#include "OstrelVirorez/Input/CorrectionLearningService.hpp"
#include "OstrelVirorez/Model/AppSettings.hpp"
#include "OstrelVirorez/Model/DictationHistoryStore.hpp"
#include "Platform/Concurrency/MainQueue.hpp"
#include "Platform/Text/Characters.hpp"

namespace ostrelvirorez {

namespace {

// Shown when the text was produced but the paste keystroke could not be
// synthesized; the text is then still on the clipboard.
constexpr const char* pasteFailedMessage = "Paste failed \u2014 text is on the clipboard";

bool isRecording(const DictationState& state) {
    return state.kind() == DictationState::Kind::recording;
}

// The detector cuts the name it reports for display; its remembered name is
// the full one whenever it is the same application.
std::string fullAppName(const TargetAppInfo& info, const TargetAppDetecting& detector) {
    const std::string remembered = detector.lastAppName();
    const bool sameApplication = !info.bundleIdentifier || *info.bundleIdentifier == detector.lastBundleIdentifier();
    if (sameApplication && !remembered.empty() && remembered.starts_with(info.name)) return remembered;
    return info.name;
}

} // namespace

std::optional<std::string> AppState::languageHint() const {
    std::string preferred = services_.settings.preferredLanguage();
    if (preferred.empty()) return std::nullopt;
    return preferred;
}

void AppState::playSound(SoundEvent event) {
    if (services_.settings.soundsEnabled()) services_.soundPlayer->play(event);
}

void AppState::startRecording(DictationMode mode) {
    if (state.get().kind() != DictationState::Kind::idle) return;
    const AppSettings& settings = services_.settings;

    if (services_.permissions->microphoneAuthorizationStatus() != CaptureAuthorizationStatus::authorized) {
        logVirorez("Microphone permission missing \u2014 aborting recording start");
        refuseStart(mode, "Microphone permission denied", true);
        return;
    }
    if (mode != DictationMode::raw && settings.rewriteProvider() == RewriteProvider::claude &&
        apiKeyKnownMissing()) {
        logVirorez("Claude mode: API Key missing!");
        refuseStart(mode, "API Key missing", true);
        return;
    }
    selectInputDevice();
    try {
        services_.audioRecorder->startRecording();
    } catch (...) {
        refuseStart(mode, "Microphone unavailable", false);
        return;
    }

    MediaControlling& media = *services_.mediaController;
    if (settings.mediaPauseEnabled()) {
        media.sendPlayPauseKey();
        media.setDidPause(true);
    }
    if (settings.audioDuckingEnabled()) media.duckVolume(static_cast<float>(settings.audioDuckingLevel()));

    const TargetAppInfo target = services_.targetAppDetector->captureCurrentApp();
    capturedAppName_ = fullAppName(target, *services_.targetAppDetector);
    targetAppName.set(target.name);
    targetAppIcon.set(target.icon);
    capturedWindowTitle_ = services_.targetAppDetector->captureWindowTitle();
    state.set(DictationState::recording(mode));
    if (settings.pillEnabled()) services_.indicatorCoordinator->show(*this);
    startLiveTranscriptIfEnabled();
    logVirorez("Recording started \u2014 mode: " + std::string(rawValue(mode)) + ", target: " + targetAppName.get());
}

void AppState::refuseStart(DictationMode mode, const std::string& message, bool withErrorSound) {
    const TargetAppInfo target = services_.targetAppDetector->captureCurrentApp();
    targetAppName.set(target.name);
    targetAppIcon.set(target.icon);
    state.set(DictationState::recording(mode));
    if (services_.settings.pillEnabled()) services_.indicatorCoordinator->show(*this);
    transition(DictationState::error(message));
    if (withErrorSound) playSound(SoundEvent::error);
}

// The device is set before every start, "System Default" (id 0) included, so
// that a recorder that was set to a microphone follows the switch back. A
// chosen microphone that is no longer present records from the system
// default too, never from whichever device was set last.
void AppState::selectInputDevice() {
    const std::string wanted = services_.settings.selectedMicrophoneUID();
    for (const AudioInputDevice& device : services_.audioDeviceManager->inputDevices()) {
        if (device.uid != wanted) continue;
        services_.audioRecorder->setInputDevice(device.id);
        return;
    }
    if (!wanted.empty()) {
        logVirorez("Selected microphone '" + wanted + "' is not present \u2014 recording from the system default");
    }
    services_.audioRecorder->setInputDevice(0);
}

void AppState::upgradeRecordingMode(DictationMode mode) {
    if (!isRecording(state.get()) || isStopping_) return;
    state.set(DictationState::recording(mode));
    logVirorez("Recording mode upgraded to " + std::string(rawValue(mode)));
    playSound(SoundEvent::recordingStartClaude);
}

void AppState::stopRecording(std::function<void()> finished) {
    // A second release while the first stop waits for the engine would stop
    // a recorder that has already stopped and end in a spurious error.
    if (!isRecording(state.get()) || isStopping_) return;
    isStopping_ = true;
    const DictationMode mode = *state.get().mode();
    stopLiveTranscript();

    // What the start changed is undone whatever the settings say now: a
    // setting switched off during the recording must not leave playback
    // paused or the volume lowered (a later start would save that volume).
    const AppSettings& settings = services_.settings;
    MediaControlling& media = *services_.mediaController;
    if (media.didPause()) {
        media.setDidPause(false);
        media.sendPlayPauseKey();
    }
    media.restoreVolume();
    auto recording =
        std::make_shared<std::optional<platform::audio::PCMBuffer>>(services_.audioRecorder->stopRecording());
    playSound(SoundEvent::recordingStop);

    const RewritingProfile chosen =
        profile(services_.settings.rewritingProfiles(), services_.targetAppDetector->lastBundleIdentifier());
    const EngineType wanted = chosen.preferredEngine.value_or(settings.selectedEngine());
    if (services_.engineManager->currentType() == wanted) {
        runPipeline(mode, std::move(recording), std::move(finished));
        return;
    }
    logVirorez("Engine override for '" + chosen.name + "': \u2192 " + engineDisplayName(wanted));
    // The manager keeps the current engine until the wanted one is ready, so a
    // failed switch leaves the previous engine to transcribe this dictation.
    runOffMain<Done>(
        services_.executor, mainQueue(),
        [self = shared_from_this(), wanted] {
            self->services_.engineManager->ensureLoaded(wanted);
            return Done{};
        },
        [self = shared_from_this(), mode, wanted, recording, finished = std::move(finished)](Attempt<Done> attempt) {
            if (!attempt.succeeded()) {
                logVirorez("Per-profile engine load failed (" + engineDisplayName(wanted) +
                           "), falling back to current. Error: " + describeError(attempt.error()));
            }
            self->runPipeline(mode, recording, finished);
        });
}

RecordingPipeline::Context AppState::makeContext(DictationMode mode) {
    AppSettings& settings = services_.settings;
    const auto hint = languageHint();
    RecordingPipeline::Context context;
    context.mode = mode;
    context.appName = capturedAppName_;
    context.appBundleIdentifier = services_.targetAppDetector->lastBundleIdentifier();
    context.customVocabulary = settings.customVocabulary();
    context.engine = services_.engineManager->currentType().value_or(settings.selectedEngine());
    context.smartCapitalization = settings.smartCapitalization();
    context.smartParagraphs = settings.smartParagraphs();
    context.languageHint = hint;
    context.spokenPunctuationEnabled = settings.spokenPunctuationEnabled();
    context.spokenPunctuationLanguages = SpokenPunctuation::resolveLanguages(hint);
    context.fillerWordRemovalEnabled = settings.fillerWordRemovalEnabled();
    context.fillerWordRemovalLanguages = FillerWordFilter::resolveLanguages(hint);
    context.rewritingProfiles = settings.rewritingProfiles();
    context.windowTitle = capturedWindowTitle_;
    return context;
}

void AppState::runPipeline(DictationMode mode, std::shared_ptr<std::optional<platform::audio::PCMBuffer>> recording,
                           std::function<void()> finished) {
    auto onPhase = [weak = weakSelf(), mode](RecordingPipeline::Phase phase) {
        const auto self = weak.lock();
        if (!self) return;
        switch (phase) {
        case RecordingPipeline::Phase::transcribing:
            self->state.set(DictationState::transcribing(mode));
            logVirorez("Transcribing...");
            break;
        case RecordingPipeline::Phase::rewriting:
            self->state.set(DictationState::rewriting());
            logVirorez("Claude rewriting...");
            break;
        case RecordingPipeline::Phase::rewritingClipboard:
            self->state.set(DictationState::rewritingClipboard());
            break;
        }
    };
    recordingPipeline().run(
        std::move(*recording), makeContext(mode), onPhase,
        [self = shared_from_this(), mode, finished = std::move(finished)](Attempt<RecordingPipeline::Outcome> attempt) {
            self->isStopping_ = false;
            if (attempt.succeeded()) {
                if (self->deliver(mode, attempt.value())) {
                    self->transition(DictationState::done());
                    self->playSound(SoundEvent::done);
                } else {
                    self->transition(DictationState::error(pasteFailedMessage));
                    self->playSound(SoundEvent::error);
                }
            } else {
                const std::string cause = describeError(attempt.error());
                logVirorez("Dictation failed: " + cause);
                self->transition(DictationState::error(cause));
                self->playSound(SoundEvent::error);
            }
            if (finished) finished();
        });
}

bool AppState::deliver(DictationMode mode, const RecordingPipeline::Outcome& outcome) {
    const AppSettings& settings = services_.settings;
    TargetAppDetecting& detector = *services_.targetAppDetector;
    const bool isInsert = outcome.kind == RecordingPipeline::Outcome::Kind::insert;
    state.set(DictationState::injecting());
    bool pasted = false;
    if (isInsert) {
        pasted = services_.textInjector->injectText(outcome.text);
        if (pasted && settings.autoVocabularyLearningEnabled()) lastTranscript.set(outcome.text);
    } else {
        pasted = services_.textInjector->simulatePaste();
        logVirorez("Clipboard rewritten (" + std::to_string(platform::text::characterCount(outcome.text)) +
                   " chars)");
    }
    // The text was produced either way; the history keeps it.
    if (settings.dictationHistoryEnabled()) {
        services_.dictationHistoryStore->record(outcome.text, detector.lastAppName(), detector.lastBundleIdentifier(),
                                                std::string(rawValue(mode)));
    }
    if (!pasted) {
        logVirorez(pasteFailedMessage);
        return false;
    }
    if (isInsert && settings.correctionLearningEnabled()) {
        correctionLearningService().watchForCorrection(outcome.text, detector.lastBundleIdentifier());
    }
    return true;
}

void AppState::transition(DictationState newState) {
    state.set(newState);
    // A pending return belongs to the state that set it; a newer state takes it over.
    returnToIdleTask_.cancel();
    const auto kind = newState.kind();
    const bool isDone = kind == DictationState::Kind::done;
    if (!isDone && kind != DictationState::Kind::error) return;
    if (!isDone) lastErrorMessage.set(newState.message());
    returnToIdleTask_ = mainQueue().postAfter(isDone ? doneReturnDelay : errorReturnDelay,
                                              [self = shared_from_this(), kind] {
                                                  if (self->state.get().kind() != kind) return;
                                                  self->state.set(DictationState::idle());
                                                  self->services_.indicatorCoordinator->hide();
                                              });
}

} // namespace ostrelvirorez
