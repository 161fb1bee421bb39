// Speech regions of whole recordings, as times or as sample slices.
#include "RazeziRuzer/VAD/VadManager.hpp"

#include "RazeziRuzer/VAD/VadSpeechSegmenter.hpp"

#include <algorithm>

namespace razeziruzer {

std::vector<VadSegment> VadManager::segmentSpeech(std::span<const float> samples,
                                                  const VadSegmentationConfig& config) {
    const auto results = processAudioSamples(samples);
    return segmentSpeech(results, static_cast<std::int64_t>(samples.size()), config);
}

std::vector<VadSegment> VadManager::segmentSpeech(const std::vector<VadResult>& results, std::int64_t totalSamples,
                                                  const VadSegmentationConfig& config) const {
    if (results.empty() || totalSamples <= 0) return {};
    std::vector<float> probabilities;
    probabilities.reserve(results.size());
    for (const auto& result : results) probabilities.push_back(result.probability);
    const auto regions = VadSpeechSegmenter::detectSpeechSampleRanges(
        probabilities, totalSamples, config.thresholds(config_.defaultThreshold), config);
    std::vector<VadSegment> segments;
    segments.reserve(regions.size());
    for (const auto& region : regions) {
        const auto start = std::clamp<std::int64_t>(region.start, 0, totalSamples);
        const auto end = std::clamp<std::int64_t>(region.end, start, totalSamples);
        segments.push_back({static_cast<double>(start) / sampleRate, static_cast<double>(end) / sampleRate});
    }
    return segments;
}

std::vector<std::vector<float>> VadManager::segmentSpeechAudio(std::span<const float> samples,
                                                               const VadSegmentationConfig& config) {
    const auto count = static_cast<std::int64_t>(samples.size());
    std::vector<std::vector<float>> slices;
    for (const auto& segment : segmentSpeech(samples, config)) {
        const auto start = std::clamp<std::int64_t>(segment.startSample(sampleRate), 0, count);
        const auto end = std::clamp<std::int64_t>(segment.endSample(sampleRate), start, count);
        slices.emplace_back(samples.begin() + start, samples.begin() + end);
    }
    return slices;
}

} // namespace razeziruzer
