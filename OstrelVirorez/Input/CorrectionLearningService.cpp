#include "OstrelVirorez/Input/CorrectionLearningService.hpp"

#include "OstrelVirorez/App/CorrectionDiff.hpp"
#include "OstrelVirorez/App/Log.hpp"
#include "OstrelVirorez/Model/DictionaryService.hpp"
#include "Platform/Concurrency/MainQueue.hpp"

#include <chrono>

namespace ostrelvirorez {

namespace {

constexpr int confirmationTries = 6;
constexpr auto confirmationDelay = std::chrono::milliseconds(100);

} // namespace

// The state of the current watch, shared with the queued steps, which hold
// it weakly so that none outlives the service.
struct CorrectionLearningService::Watcher : std::enable_shared_from_this<Watcher> {
    struct Watch {
        std::uint64_t generation = 0;
        std::string insertedText;
        std::optional<std::string> appBundleIdentifier;
        int tries = 0;
        std::size_t polls = 0;
        std::optional<CorrectionWatchEnvironment::FieldSnapshot> baseline;
        platform::TimerHandle timer;
    };

    Watcher(DictionaryService& dictionary, CorrectionWatchEnvironment& environment, platform::MainQueue& queue)
        : dictionary(dictionary), environment(environment), queue(queue) {}

    void start(const std::string& insertedText, const std::optional<std::string>& appBundleIdentifier) {
        cancel();
        watch.emplace(Watch{});
        watch->generation = ++generation;
        watch->insertedText = insertedText;
        watch->appBundleIdentifier = appBundleIdentifier;
        schedule(confirmationDelay, &Watcher::confirmPaste);
    }

    void cancel() {
        if (watch) watch->timer.cancel();
        watch.reset();
    }

    void schedule(std::chrono::milliseconds delay, void (Watcher::*step)()) {
        watch->timer = queue.postAfter(delay, [weak = weak_from_this(), current = watch->generation, step] {
            const auto self = weak.lock();
            if (self && self->watch && self->watch->generation == current) (self.get()->*step)();
        });
    }

    bool targetStillInFront() const {
        return !watch->appBundleIdentifier || environment.frontmostBundleIdentifier() == watch->appBundleIdentifier;
    }

    void confirmPaste() {
        if (!targetStillInFront()) return cancel();
        auto snapshot = environment.captureFocusedElementSnapshot();
        if (snapshot && snapshot->value.find(watch->insertedText) != std::string::npos) {
            watch->baseline = std::move(snapshot);
            return schedule(std::chrono::seconds(pollOffsets[0]), &Watcher::poll);
        }
        if (++watch->tries == confirmationTries) return cancel();
        schedule(confirmationDelay, &Watcher::confirmPaste);
    }

    void poll() {
        if (!targetStillInFront()) return cancel();
        if (const auto snapshot = environment.captureFocusedElementSnapshot()) {
            if (snapshot->element != watch->baseline->element) return cancel();
            if (const auto correction =
                    CorrectionDiff::extractSingleWordCorrection(watch->baseline->value, snapshot->value)) {
                learn(*correction);
                return cancel();
            }
        }
        const auto done = ++watch->polls;
        if (done == pollOffsets.size()) return cancel();
        schedule(std::chrono::seconds(pollOffsets[done] - pollOffsets[done - 1]), &Watcher::poll);
    }

    void learn(const CorrectionDiff::Correction& correction) {
        dictionary.add({platform::Uuid(), correction.oldWord, correction.newWord, std::nullopt, false, true, {}});
        logVirorezPrivate("CorrectionLearning: learned a correction",
                          "CorrectionLearning: learned \"" + correction.oldWord + "\" \u2192 \"" +
                              correction.newWord + "\"");
    }

    DictionaryService& dictionary;
    CorrectionWatchEnvironment& environment;
    platform::MainQueue& queue;
    std::uint64_t generation = 0;
    std::optional<Watch> watch;
};

CorrectionLearningService::CorrectionLearningService(DictionaryService& dictionaryService,
                                                     CorrectionWatchEnvironment& environment,
                                                     platform::MainQueue& mainQueue)
    : watcher_(std::make_shared<Watcher>(dictionaryService, environment, mainQueue)) {
    installCommitSignalObservers();
}

CorrectionLearningService::~CorrectionLearningService() {
    watcher_->cancel();
    appActivationObserver_.disconnect();
}

void CorrectionLearningService::watchForCorrection(const std::string& insertedText,
                                                   const std::optional<std::string>& appBundleIdentifier) {
    watcher_->start(insertedText, appBundleIdentifier);
}

void CorrectionLearningService::installCommitSignalObservers() {
    const auto endWatchOnMainQueue = [weak = std::weak_ptr<Watcher>(watcher_), &queue = watcher_->queue] {
        queue.post([weak] {
            if (const auto watcher = weak.lock()) watcher->cancel();
        });
    };
    watcher_->environment.setOnCommitKeySignal(endWatchOnMainQueue);
    appActivationObserver_ = watcher_->environment.observeApplicationActivation(endWatchOnMainQueue);
}

} // namespace ostrelvirorez
