// The live preview: while a recording runs, the whole recording so far is
// transcribed again one interval after each pass and shown in the monitor.

#include "OstrelVirorez/App/AppState.hpp"

#include "OstrelVirorez/Engines/EngineManager.hpp"
#include "OstrelVirorez/Model/AppSettings.hpp"
#include "Platform/Concurrency/MainQueue.hpp"
#include "Platform/Text/Whitespace.hpp"

#include <algorithm>

namespace ostrelvirorez {

struct AppState::LiveTranscriptLoop {
    std::chrono::milliseconds interval{0};
    bool cancelled = false;
    platform::TimerHandle nextPass;

    void cancel() {
        cancelled = true;
        nextPass.cancel();
    }
};

void AppState::startLiveTranscriptIfEnabled() {
    const AppSettings& settings = services_.settings;
    if (!settings.liveTranscriptEnabled()) return;
    liveTranscriptMonitor.preview.set({});
    liveTranscriptMonitor.isActive.set(false);
    liveTranscriptMonitor.isActive.set(true);

    const auto interval = std::max(std::chrono::milliseconds(settings.liveTranscriptIntervalMs()),
                                   shortestLiveTranscriptInterval);
    if (liveTranscriptTask_) liveTranscriptTask_->cancel();
    liveTranscriptTask_ = std::make_shared<LiveTranscriptLoop>();
    liveTranscriptTask_->interval = interval;
    scheduleLiveTranscriptPass(liveTranscriptTask_);
}

void AppState::stopLiveTranscript() {
    if (liveTranscriptTask_) liveTranscriptTask_->cancel();
    liveTranscriptTask_.reset();
    liveTranscriptMonitor.preview.set({});
    liveTranscriptMonitor.isActive.set(false);
}

void AppState::scheduleLiveTranscriptPass(std::shared_ptr<LiveTranscriptLoop> loop) {
    const auto interval = loop->interval;
    loop->nextPass = mainQueue().postAfter(interval, [weak = weakSelf(), loop] {
        if (const auto self = weak.lock()) self->runLiveTranscriptPass(loop);
    });
}

void AppState::runLiveTranscriptPass(std::shared_ptr<LiveTranscriptLoop> loop) {
    if (loop->cancelled || state.get().kind() != DictationState::Kind::recording) return;
    auto snapshot = services_.audioRecorder->snapshotBuffer();
    if (!snapshot) return;
    const auto hint = languageHint();
    auto recording = std::make_shared<const platform::audio::PCMBuffer>(std::move(*snapshot));
    runOffMain<TranscriptionResult>(
        services_.executor, mainQueue(),
        // Like any pass of the loop, a running transcription keeps the state alive until it ends.
        [self = shared_from_this(), recording, hint] {
            return self->services_.engineManager->transcribe(*recording, hint);
        },
        [weak = weakSelf(), loop](Attempt<TranscriptionResult> attempt) {
            const auto self = weak.lock();
            // A pass that finishes after the preview was stopped is dropped, so
            // that no text reappears in a preview that is no longer active.
            if (!self || loop->cancelled) return;
            if (attempt.succeeded()) {
                std::string text = platform::text::trimWhitespaceAndNewlines(attempt.value().text);
                if (!text.empty()) self->liveTranscriptMonitor.preview.set(std::move(text));
            }
            self->scheduleLiveTranscriptPass(loop);
        });
}

} // namespace ostrelvirorez
