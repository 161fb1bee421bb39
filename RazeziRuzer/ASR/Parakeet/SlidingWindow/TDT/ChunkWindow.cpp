#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/ChunkWindow.hpp"

#include "RazeziRuzer/ASR/Parakeet/ASRError.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/AsrManager.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/ChunkGeometry.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/Decoder/TdtDecoderState.hpp"

namespace razeziruzer {

using namespace chunkgeometry;

std::vector<TokenEntry> ChunkWindow::decode(AsrManager& worker, int decoderLayers, std::optional<Language> language,
                                            std::stop_token stop) const {
    if (samples.empty()) return {};
    auto state = TdtDecoderState::make(decoderLayers);
    state.reset();

    std::vector<float> padded = samples;
    if (padded.size() < static_cast<std::size_t>(modelWindow)) padded.resize(static_cast<std::size_t>(modelWindow), 0.0f);
    const auto count = static_cast<std::int64_t>(samples.size());
    const bool primed = emitAfterFrame.has_value();
    const auto pass = worker.executeMLInferenceWithTimings(
        padded, static_cast<int>(count), static_cast<int>(framesCovering(count - contextSamples)), state,
        static_cast<int>(contextSamples / frameSamples), isLastChunk, static_cast<int>(globalOffset / frameSamples),
        language, emitAfterFrame, primed ? std::optional<int>(0) : std::nullopt, std::move(stop));

    const auto& hypothesis = pass.hypothesis;
    if (hypothesis.ySequence.empty() || pass.encoderSequenceLength == 0) return {};
    const auto n = hypothesis.ySequence.size();
    if (hypothesis.timestamps.size() != n || hypothesis.tokenConfidences.size() != n) {
        throw ASRError::processingFailed("Token, timestamp, and confidence arrays are misaligned");
    }
    const bool haveDurations = hypothesis.tokenDurations.size() == n;

    std::vector<TokenEntry> tokens;
    tokens.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        tokens.push_back({hypothesis.ySequence[i], hypothesis.timestamps[i], hypothesis.tokenConfidences[i],
                          haveDurations ? hypothesis.tokenDurations[i] : 0});
    }
    return tokens;
}

} // namespace razeziruzer
