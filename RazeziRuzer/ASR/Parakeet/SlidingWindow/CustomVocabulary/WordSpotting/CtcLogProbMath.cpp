#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/WordSpotting/CtcLogProbMath.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

namespace razeziruzer::CtcLogProbMath {

std::vector<float> logSoftmax(const std::vector<float>& scores, float temperature) {
    if (scores.empty()) return {};
    std::vector<float> values = scores;
    if (!(temperature == 1.0f)) {
        for (auto& value : values) value /= temperature;
    }
    const float largest = *std::max_element(values.begin(), values.end());
    float sum = 0;
    for (const float value : values) sum += std::exp(value - largest);
    const float logSum = std::log(sum);
    for (auto& value : values) value = value - largest - logSum;
    return values;
}

CtcLogProbFrames applyLogSoftmax(const CtcLogProbFrames& rawLogits, std::int64_t blankId, float temperature,
                                 float blankBias) {
    CtcLogProbFrames frames;
    frames.reserve(rawLogits.size());
    for (const auto& logits : rawLogits) {
        auto frame = logSoftmax(logits, temperature);
        if (blankBias != 0 && blankId >= 0 && blankId < static_cast<std::int64_t>(frame.size())) {
            frame[static_cast<std::size_t>(blankId)] -= blankBias;
        }
        frames.push_back(std::move(frame));
    }
    return frames;
}

CtcLogProbFrames trimLogProbs(CtcLogProbFrames frames, std::int64_t audioSampleCount, std::int64_t windowSamples) {
    const auto count = static_cast<std::int64_t>(frames.size());
    if (count == 0 || audioSampleCount >= windowSamples) return frames;
    const double samplesPerFrame = static_cast<double>(windowSamples) / static_cast<double>(count);
    const auto validFrames = static_cast<std::int64_t>(std::ceil(static_cast<double>(audioSampleCount) / samplesPerFrame));
    frames.resize(static_cast<std::size_t>(std::max<std::int64_t>(1, std::min(count, validFrames))));
    return frames;
}

std::vector<WindowSpan> windowPlan(std::int64_t sampleCount, std::int64_t windowSamples, std::int64_t overlapSamples) {
    std::vector<WindowSpan> plan;
    const std::int64_t stride = windowSamples - overlapSamples;
    if (sampleCount <= 0 || stride <= 0) return plan;
    for (std::int64_t start = 0; start < sampleCount; start += stride) {
        plan.push_back({start, std::min(start + windowSamples, sampleCount)});
        if (start + windowSamples >= sampleCount) break;
    }
    return plan;
}

namespace {

// log((e^a + e^b) / 2), minus infinity when both are.
float logMean(float a, float b) {
    const float m = std::max(a, b);
    if (m == -std::numeric_limits<float>::infinity()) return m;
    return m + std::log(std::exp(a - m) + std::exp(b - m)) - 0.6931472f;
}

} // namespace

JoinedFrames joinWindows(const std::vector<WindowFrames>& windows, double overlapSeconds) {
    if (windows.empty() || !(windows.front().frameDuration > 0)) return {};
    const double frameDuration = windows.front().frameDuration;
    const auto overlapFrames = static_cast<std::size_t>(overlapSeconds / frameDuration);
    JoinedFrames joined{{}, frameDuration};
    bool first = true;
    for (const auto& window : windows) {
        if (window.frames.empty()) continue;
        if (first) {
            joined.frames = window.frames;
            first = false;
            continue;
        }
        const std::size_t shared = std::min(joined.frames.size(), overlapFrames);
        const std::size_t merged = std::min(window.frames.size(), shared);
        const std::size_t offset = joined.frames.size() - merged;
        for (std::size_t k = 0; k < merged; ++k) {
            const auto& previous = joined.frames[offset + k];
            const auto& next = window.frames[k];
            std::vector<float> mean(std::min(previous.size(), next.size()));
            for (std::size_t v = 0; v < mean.size(); ++v) mean[v] = logMean(previous[v], next[v]);
            joined.frames[offset + k] = std::move(mean);
        }
        if (shared < window.frames.size()) {
            joined.frames.insert(joined.frames.end(), window.frames.begin() + static_cast<std::ptrdiff_t>(merged),
                                 window.frames.end());
        }
    }
    return joined;
}

} // namespace razeziruzer::CtcLogProbMath
