#include "RazeziRuzer/ASR/Shared/PunctuationCommit/PunctuationCommitLayer.hpp"

#include "Platform/Text/Characters.hpp"
#include "Platform/Text/UnicodeProperties.hpp"
#include "Platform/Text/Whitespace.hpp"

#include <cmath>
#include <stdexcept>

namespace razeziruzer {

using LayerLock = std::unique_lock<std::recursive_mutex>;

namespace {

std::chrono::nanoseconds checkedTimeout(double seconds) {
    // A nanosecond count must fit a signed 64-bit sleep.
    if (!std::isfinite(seconds) || seconds < 0 || seconds * 1e9 >= 9.2e18) {
        throw std::invalid_argument("debounce timeout must be finite, not negative and below 292 years");
    }
    return std::chrono::nanoseconds(static_cast<std::int64_t>(seconds * 1e9));
}

bool isWhitespaceCharacter(std::string_view character) {
    return platform::text::characterIs(character, platform::text::isWhitespace);
}

bool endsWithWhitespace(const std::string& text) {
    const auto last = platform::text::lastCharacter(text);
    return last && isWhitespaceCharacter(*last);
}

} // namespace

PunctuationCommitLayer::PunctuationCommitLayer(double debounceTimeout, std::set<std::string> punctuationMarks,
                                               bool commitOnTimeout, platform::Sleeper& sleeper)
    : debounceTimeout_(checkedTimeout(debounceTimeout)), punctuationMarks_(std::move(punctuationMarks)),
      commitOnTimeout_(commitOnTimeout), sleeper_(sleeper), lastUpdateTime_(std::chrono::system_clock::now()),
      timerThread_([this](std::stop_token stop) { runTimers(std::move(stop)); }) {}

PunctuationCommitLayer::~PunctuationCommitLayer() {
    {
        const LayerLock lock(mutex_);
        timerStop_.request_stop();
    }
    timerThread_.request_stop();
    timerChanged_.notify_all();
}

void PunctuationCommitLayer::setUpdateCallback(UpdateCallback callback) {
    const LayerLock lock(mutex_);
    updateCallback_ = std::move(callback);
}

std::string PunctuationCommitLayer::committedText() const {
    const LayerLock lock(mutex_);
    return committedText_;
}

std::string PunctuationCommitLayer::ghostText() const {
    const LayerLock lock(mutex_);
    return ghostText_;
}

std::string PunctuationCommitLayer::uncommittedPart(const std::string& text) {
    if (committedSource_.empty() || !text.starts_with(committedSource_)) {
        committedSource_.clear();
        return text;
    }
    // Whitespace between the committed part and the rest belongs to the committed gap.
    auto at = committedSource_.size();
    while (at < text.size()) {
        const auto next = platform::text::nextCharacterBoundary(text, at);
        if (!isWhitespaceCharacter(std::string_view(text).substr(at, next - at))) break;
        at = next;
    }
    committedSource_ = text.substr(0, at);
    return text.substr(at);
}

CommitLayerUpdate PunctuationCommitLayer::processPartialText(const std::string& input) {
    const LayerLock lock(mutex_);
    invalidateDebounce();
    lastUpdateTime_ = std::chrono::system_clock::now();
    const auto text = uncommittedPart(input);
    const auto ranges = platform::text::characterRanges(text);
    for (auto it = ranges.rbegin(); it != ranges.rend(); ++it) {
        const auto mark = text.substr(it->begin, it->size());
        if (!punctuationMarks_.contains(mark)) continue;
        const auto afterMark = it->end;
        auto end = afterMark;
        for (auto next = it.base(); next != ranges.end(); ++next) {
            if (!isWhitespaceCharacter(std::string_view(text).substr(next->begin, next->size()))) break;
            end = next->end;
        }
        const auto gap = end > afterMark ? text.substr(afterMark, end - afterMark) : std::string(" ");
        committedText_ += text.substr(0, afterMark) + gap;
        committedSource_ += text.substr(0, end);
        ghostText_ = text.substr(end);
        return publish(CommitReason::punctuation(mark));
    }
    ghostText_ = text;
    startDebounceTimer();
    return publish(std::nullopt);
}

CommitLayerUpdate PunctuationCommitLayer::processEOU() {
    const LayerLock lock(mutex_);
    invalidateDebounce();
    lastUpdateTime_ = std::chrono::system_clock::now();
    commitGhostText();
    return publish(CommitReason::endOfUtterance());
}

CommitLayerUpdate PunctuationCommitLayer::manualCommit() {
    const LayerLock lock(mutex_);
    invalidateDebounce();
    lastUpdateTime_ = std::chrono::system_clock::now();
    commitGhostText();
    return publish(CommitReason::manualCommit());
}

void PunctuationCommitLayer::reset() {
    const LayerLock lock(mutex_);
    invalidateDebounce();
    committedText_.clear();
    ghostText_.clear();
    committedSource_.clear();
    lastUpdateTime_ = std::chrono::system_clock::now();
    publish(std::nullopt);
}

bool PunctuationCommitLayer::commitGhostText() {
    if (ghostText_.empty()) return false;
    if (!committedText_.empty() && !endsWithWhitespace(committedText_)) committedText_ += ' ';
    committedText_ += ghostText_;
    committedSource_ += ghostText_;
    ghostText_.clear();
    return true;
}

CommitLayerUpdate PunctuationCommitLayer::publish(std::optional<CommitReason> reason) {
    auto update = CommitLayerUpdate::make(committedText_, ghostText_, std::move(reason));
    if (updateCallback_) updateCallback_(update);
    return update;
}

void PunctuationCommitLayer::invalidateDebounce() {
    timerStop_.request_stop();
    timerArmed_ = false;
    ++debounceGeneration_;
}

void PunctuationCommitLayer::startDebounceTimer() {
    invalidateDebounce();
    timerStop_ = std::stop_source();
    timerArmed_ = true;
    timerChanged_.notify_all();
}

void PunctuationCommitLayer::runTimers(std::stop_token stop) {
    LayerLock lock(mutex_);
    while (!stop.stop_requested()) {
        timerChanged_.wait(lock, stop, [this] { return timerArmed_; });
        if (stop.stop_requested()) return;
        timerArmed_ = false;
        const auto generation = debounceGeneration_;
        const auto cancel = timerStop_.get_token();
        lock.unlock();
        const auto slept = sleeper_.sleepFor(debounceTimeout_, cancel);
        lock.lock();
        if (slept == platform::SleepResult::cancelled || !commitOnTimeout_ || generation != debounceGeneration_) continue;
        if (commitGhostText()) publish(CommitReason::debounceTimeout());
    }
}

} // namespace razeziruzer
