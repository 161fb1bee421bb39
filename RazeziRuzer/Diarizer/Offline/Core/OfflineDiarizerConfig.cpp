#include "RazeziRuzer/Diarizer/Offline/Core/OfflineDiarizerConfig.hpp"

#include "RazeziRuzer/Diarizer/Offline/Core/OfflineDiarizationError.hpp"
#include "RazeziRuzer/Shared/DoubleText.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace razeziruzer {
namespace {

std::string shortestFloatText(float value) {
    if (std::isnan(value)) return "nan";
    if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
    char digits[32];
    const auto [end, error] = std::to_chars(digits, digits + sizeof digits, value);
    std::string text(digits, error == std::errc{} ? end : digits);
    if (text.find_first_of(".e") == std::string::npos) text += ".0";
    return text;
}

OfflineDiarizationError configError(std::string message) {
    return OfflineDiarizationError::invalidConfiguration(std::move(message));
}

// Each check is written so that a NaN fails it.
void validateClusteringAndWindow(const OfflineDiarizerConfig& c) {
    const double threshold = c.clustering.threshold;
    if (!(threshold > 0 && threshold <= std::sqrt(2.0))) {
        throw configError("clustering.threshold must be within (0, sqrt(2)], got " + doubleText(threshold));
    }
    const double fa = c.clustering.warmStartFa;
    const double fb = c.clustering.warmStartFb;
    if (!(fa > 0 && fb > 0)) {
        throw configError("clustering warm-start Fa/Fb must be positive (Fa=" + doubleText(fa) + ", Fb=" + doubleText(fb) +
                      ")");
    }
    const double window = c.segmentation.windowDurationSeconds;
    if (!(window > 0)) {
        throw configError("segmentation.windowDurationSeconds must be positive, got " + doubleText(window));
    }
    if (c.segmentation.sampleRate < 1) throw configError("sampleRate must be positive");
    const double step = c.segmentation.stepRatio;
    if (!(step > 0 && step <= 1)) throw configError("segmentation.stepRatio must be within (0, 1], got " + doubleText(step));
}

void validateBatchAndVBx(const OfflineDiarizerConfig& c) {
    if (c.embedding.batchSize < 1) throw OfflineDiarizationError::invalidBatchSize("embeddingBatchSize must be > 0");
    if (c.embedding.batchSize > 32) {
        throw OfflineDiarizationError::invalidBatchSize("embeddingBatchSize must be <= 32 to fit PLDA batch limits");
    }
    if (c.vbx.maxIterations < 1) {
        throw configError("maxVBxIterations must be > 0, got " + std::to_string(c.vbx.maxIterations));
    }
    if (!(c.vbx.convergenceTolerance > 0)) throw configError("convergenceTolerance must be positive");
}

void validateDurationsAndThresholds(const OfflineDiarizerConfig& c) {
    if (!(c.embedding.minSegmentDurationSeconds >= 0)) throw configError("embedding.minSegmentDuration must be >= 0");
    if (!(c.postProcessing.minGapDurationSeconds >= 0)) throw configError("minGapDuration must be >= 0");
    if (!(c.segmentation.minDurationOn >= 0)) throw configError("segmentation.minDurationOn must be >= 0");
    if (!(c.segmentation.minDurationOff >= 0)) throw configError("segmentation.minDurationOff must be >= 0");
    const float onset = c.segmentation.speechOnsetThreshold;
    if (!(onset >= 0 && onset <= 1)) {
        throw configError("speechOnsetThreshold must be within [0, 1], got " + shortestFloatText(onset));
    }
    const float offset = c.segmentation.speechOffsetThreshold;
    if (!(offset >= 0 && offset <= onset)) {
        throw configError("speechOffsetThreshold must be within [0, speechOnsetThreshold], got " + shortestFloatText(offset));
    }
}

} // namespace

OfflineDiarizerConfig OfflineDiarizerConfig::fromFlat(const Flat& flat) {
    OfflineDiarizerConfig config;
    config.clustering.threshold = flat.clusteringThreshold;
    config.clustering.warmStartFa = flat.Fa;
    config.clustering.warmStartFb = flat.Fb;
    config.segmentation = {flat.windowDuration,          flat.sampleRate,
                           flat.segmentationMinDurationOn, flat.segmentationMinDurationOff,
                           flat.segmentationStepRatio,   flat.speechOnsetThreshold,
                           flat.speechOffsetThreshold};
    config.embedding = {flat.embeddingBatchSize, flat.embeddingExcludeOverlap, flat.minSegmentDuration,
                        flat.embeddingSkipStrategy};
    config.vbx = {flat.maxVBxIterations, flat.convergenceTolerance};
    config.postProcessing = {flat.minGapDuration, flat.exclusiveSegments};
    config.exportSettings.embeddingsPath = flat.embeddingExportPath;
    return config;
}

void OfflineDiarizerConfig::validate() const {
    validateClusteringAndWindow(*this);
    validateBatchAndVBx(*this);
    validateDurationsAndThresholds(*this);
}

OfflineDiarizerConfig OfflineDiarizerConfig::withSpeakers(std::optional<std::int64_t> min,
                                                          std::optional<std::int64_t> max) const {
    auto copy = *this;
    copy.clustering.minSpeakers = min;
    copy.clustering.maxSpeakers = max;
    copy.clustering.numSpeakers.reset();
    return copy;
}

OfflineDiarizerConfig OfflineDiarizerConfig::withSpeakersExactly(std::int64_t count) const {
    auto copy = *this;
    copy.clustering.numSpeakers = count;
    copy.clustering.minSpeakers.reset();
    copy.clustering.maxSpeakers.reset();
    return copy;
}

std::int64_t OfflineDiarizerConfig::samplesPerWindow() const {
    return static_cast<std::int64_t>(static_cast<double>(segmentation.sampleRate) * segmentation.windowDurationSeconds);
}

std::int64_t OfflineDiarizerConfig::samplesPerStep() const {
    const auto step = static_cast<std::int64_t>(static_cast<double>(samplesPerWindow()) * segmentation.stepRatio);
    return std::max<std::int64_t>(1, step);
}

} // namespace razeziruzer
