// Speech start and end events over a caller-held stream state, with
// hysteresis between the positive and the negative threshold.
#include "RazeziRuzer/VAD/VadManager.hpp"

#include <algorithm>
#include <cmath>

namespace razeziruzer {
namespace {

double roundedSeconds(std::int64_t sampleIndex, int timeResolution) {
    const double scale = std::pow(10.0, timeResolution);
    return std::round(static_cast<double>(sampleIndex) / VadManager::sampleRate * scale) / scale;
}

} // namespace

VadStreamResult VadManager::processStreamingChunk(std::span<const float> chunk, const VadStreamState& state,
                                                  const VadSegmentationConfig& config, bool returnSeconds,
                                                  int timeResolution) {
    const auto padding = vadDurationSamples(config.speechPadding, "speechPadding");
    const auto minSilence = vadDurationSamples(config.minSilenceDuration, "minSilenceDuration");
    auto chunkResult = processChunk(chunk, state.modelState);
    const auto chunkSamples = static_cast<std::int64_t>(chunk.size());
    const auto end = state.processedSamples + chunkSamples;
    const auto thresholds = config.thresholds(config_.defaultThreshold);
    const float p = chunkResult.probability;

    VadStreamResult result;
    result.state = state;
    auto& next = result.state;
    std::optional<VadStreamEvent> event;
    if (p >= thresholds.positive) {
        next.tempEndSample.reset();
        if (!state.triggered) {
            next.triggered = true;
            event = VadStreamEvent{VadStreamEvent::Kind::speechStart,
                                   std::max<std::int64_t>(0, state.processedSamples - padding), std::nullopt};
        }
    } else if (p < thresholds.negative && state.triggered) {
        if (!next.tempEndSample) next.tempEndSample = end;
        if (end - *next.tempEndSample >= minSilence) {
            event = VadStreamEvent{VadStreamEvent::Kind::speechEnd,
                                   std::max<std::int64_t>(0, *next.tempEndSample + padding - chunkSamples),
                                   std::nullopt};
            next.triggered = false;
            next.tempEndSample.reset();
        }
    }
    if (event && returnSeconds) event->time = roundedSeconds(event->sampleIndex, timeResolution);
    next.modelState = std::move(chunkResult.outputState);
    next.processedSamples = end;
    result.event = event;
    result.probability = p;
    return result;
}

} // namespace razeziruzer
