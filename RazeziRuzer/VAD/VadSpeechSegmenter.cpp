#include "RazeziRuzer/VAD/VadSpeechSegmenter.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace razeziruzer::VadSpeechSegmenter {
namespace {

struct CandidateSilence {
    std::int64_t start = 0;
    std::int64_t duration = 0;
    float minProbability = 0;
};

struct Limits {
    std::int64_t minSpeech = 0;
    std::int64_t minSilence = 0;
    std::int64_t padding = 0;
    std::int64_t minSplitSilence = 0;
    std::optional<std::int64_t> maxSpeech;
};

Limits limitsOf(const VadSegmentationConfig& config) {
    Limits limits;
    limits.minSpeech = vadDurationSamples(config.minSpeechDuration, "minSpeechDuration");
    limits.minSilence = vadDurationSamples(config.minSilenceDuration, "minSilenceDuration");
    limits.padding = vadDurationSamples(config.speechPadding, "speechPadding");
    limits.minSplitSilence = vadDurationSamples(config.minSilenceAtMaxSpeech, "minSilenceAtMaxSpeech");
    if (!std::isinf(config.maxSpeechDuration)) {
        const auto maximum = vadDurationSamples(config.maxSpeechDuration, "maxSpeechDuration");
        limits.maxSpeech = std::max<std::int64_t>(0, maximum - chunkSize - 2 * limits.padding);
    }
    return limits;
}

// The greatest duration among the candidates that pass, the earliest on ties.
std::optional<CandidateSilence> longest(const std::vector<CandidateSilence>& candidates, float atMost) {
    std::optional<CandidateSilence> best;
    for (const auto& candidate : candidates) {
        if (!(candidate.minProbability <= atMost)) continue;
        if (!best || candidate.duration > best->duration) best = candidate;
    }
    return best;
}

class Scan {
public:
    Scan(std::int64_t length, VadThresholds thresholds, const VadSegmentationConfig& config)
        : length_(length), thresholds_(thresholds), config_(config), limits_(limitsOf(config)) {}

    void step(std::int64_t position, float probability) {
        if (probability >= thresholds_.positive) {
            rememberPause(position);
            if (!triggered_) {
                triggered_ = true;
                start_ = position;
                return;
            }
        } else if (!triggered_) {
            return;
        }
        if (limits_.maxSpeech && position - start_ > *limits_.maxSpeech) {
            split(position, probability);
            return;
        }
        if (probability < thresholds_.negative) silenceAt(position, probability);
    }

    std::vector<VadSampleRegion> finish() {
        if (triggered_ && start_ < length_ && length_ - start_ >= limits_.minSpeech) {
            regions_.push_back({start_, length_});
        }
        pad();
        return std::move(regions_);
    }

private:
    void rememberPause(std::int64_t position) {
        if (!silenceStart_) return;
        if (position - *silenceStart_ > limits_.minSplitSilence) {
            candidates_.push_back({*silenceStart_, position - *silenceStart_, lowest_});
        }
        silenceStart_.reset();
        lowest_ = 0;
    }

    void silenceAt(std::int64_t position, float probability) {
        if (!silenceStart_) {
            silenceStart_ = position;
            lowest_ = probability;
        } else {
            lowest_ = std::min(lowest_, probability);
        }
        if (position - *silenceStart_ < limits_.minSilence) return;
        const auto end = *silenceStart_;
        if (end > start_ && end - start_ >= limits_.minSpeech) regions_.push_back({start_, std::min(end, length_)});
        close();
    }

    void split(std::int64_t position, float probability) {
        const auto chosen = chooseCandidate();
        const auto cut = chosen ? chosen->start : position;
        if (cut > start_ && cut - start_ >= limits_.minSpeech) regions_.push_back({start_, std::min(cut, length_)});
        candidates_.clear();
        const auto resumed = chosen ? chosen->start + chosen->duration : position;
        if (!chosen || resumed >= position) {
            close();
            return;
        }
        triggered_ = true;
        start_ = resumed;
        silenceStart_.reset();
        lowest_ = 0;
        if (probability < thresholds_.negative) silenceAt(position, probability);
    }

    std::optional<CandidateSilence> chooseCandidate() const {
        if (candidates_.empty()) return std::nullopt;
        if (auto preferred = longest(candidates_, config_.silenceThresholdForSplit)) return preferred;
        if (config_.useMaxPossibleSilenceAtMaxSpeech) {
            return longest(candidates_, std::numeric_limits<float>::infinity());
        }
        return candidates_.back();
    }

    void close() {
        triggered_ = false;
        silenceStart_.reset();
        lowest_ = 0;
        candidates_.clear();
    }

    void pad() {
        const auto padding = limits_.padding;
        if (regions_.empty()) return;
        regions_.front().start = std::max<std::int64_t>(0, regions_.front().start - padding);
        for (std::size_t i = 0; i + 1 < regions_.size(); ++i) {
            auto& current = regions_[i];
            auto& next = regions_[i + 1];
            const auto gap = next.start - current.end;
            const auto share = gap < 2 * padding ? gap / 2 : padding;
            current.end = std::min(current.end + share, length_);
            next.start = std::max<std::int64_t>(0, next.start - share);
        }
        regions_.back().end = std::min(regions_.back().end + padding, length_);
        std::vector<VadSampleRegion> clamped;
        for (const auto& region : regions_) {
            const auto start = std::clamp<std::int64_t>(region.start, 0, length_);
            const auto end = std::clamp<std::int64_t>(region.end, start, length_);
            if (start != end) clamped.push_back({start, end});
        }
        regions_ = std::move(clamped);
    }

    std::int64_t length_;
    VadThresholds thresholds_;
    const VadSegmentationConfig& config_;
    Limits limits_;
    bool triggered_ = false;
    std::int64_t start_ = 0;
    std::optional<std::int64_t> silenceStart_;
    float lowest_ = 0;
    std::vector<CandidateSilence> candidates_;
    std::vector<VadSampleRegion> regions_;
};

} // namespace

std::vector<VadSampleRegion> detectSpeechSampleRanges(std::span<const float> probabilities,
                                                      std::int64_t audioLengthSamples, VadThresholds thresholds,
                                                      const VadSegmentationConfig& config) {
    Scan scan(audioLengthSamples, thresholds, config);
    std::int64_t position = 0;
    for (const float probability : probabilities) {
        scan.step(position, probability);
        position += chunkSize;
    }
    return scan.finish();
}

} // namespace razeziruzer::VadSpeechSegmenter
