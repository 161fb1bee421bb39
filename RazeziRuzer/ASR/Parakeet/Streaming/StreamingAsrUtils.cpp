#include "RazeziRuzer/ASR/Parakeet/Streaming/StreamingAsrUtils.hpp"

#include <stdexcept>

namespace razeziruzer::StreamingAsrUtils {

void appendAudio(const platform::audio::PCMBuffer& buffer, const AudioConverter& converter,
                 std::vector<float>& audioBuffer) {
    const auto samples = converter.resampleBuffer(buffer);
    audioBuffer.insert(audioBuffer.end(), samples.begin(), samples.end());
}

void resetSharedState(std::vector<float>& audioBuffer, std::vector<std::int64_t>& accumulatedTokenIds,
                      int& processedChunks) {
    audioBuffer.clear();
    accumulatedTokenIds.clear();
    processedChunks = 0;
}

bool processRemainingAudio(std::vector<float>& audioBuffer, std::int64_t chunkSamples,
                           const ChunkOperation& processChunk) {
    if (chunkSamples < 1) throw std::invalid_argument("chunkSamples must be positive");
    if (audioBuffer.empty()) return false;
    const auto chunk = static_cast<std::size_t>(chunkSamples);
    while (!audioBuffer.empty()) {
        if (audioBuffer.size() < chunk) audioBuffer.resize(chunk, 0.0f);
        const std::vector<float> samples(audioBuffer.begin(), audioBuffer.begin() + static_cast<std::ptrdiff_t>(chunk));
        processChunk(samples);
        audioBuffer.erase(audioBuffer.begin(), audioBuffer.begin() + static_cast<std::ptrdiff_t>(chunk));
    }
    return true;
}

std::string decodeTokens(const std::vector<std::int64_t>& ids, const Tokenizer& tokenizer) {
    return tokenizer.decode(ids);
}

} // namespace razeziruzer::StreamingAsrUtils
