#pragma once
// Small steps the streaming recognisers share: appending converted audio,
// clearing the stream state, flushing what is left at the end of a stream,
// and turning token ids into text.

#include "Platform/Audio/PCMBuffer.hpp"
#include "RazeziRuzer/ASR/Parakeet/Streaming/Tokenizer.hpp"
#include "RazeziRuzer/Shared/AudioConverter.hpp"

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace razeziruzer::StreamingAsrUtils {

using ChunkOperation = std::function<void(std::span<const float> chunk)>;

// A conversion error leaves the buffer as it was.
void appendAudio(const platform::audio::PCMBuffer& buffer, const AudioConverter& converter,
                 std::vector<float>& audioBuffer);
void resetSharedState(std::vector<float>& audioBuffer, std::vector<std::int64_t>& accumulatedTokenIds,
                      int& processedChunks);
// Decodes every pending sample: each whole chunk, then the rest padded with
// zeros to one chunk. A chunk is removed only once it has been processed, so
// after an error the buffer holds the failed chunk and everything after it.
// Returns false (calling nothing) for an empty buffer; throws
// std::invalid_argument for a chunk length below 1.
bool processRemainingAudio(std::vector<float>& audioBuffer, std::int64_t chunkSamples,
                           const ChunkOperation& processChunk);
std::string decodeTokens(const std::vector<std::int64_t>& ids, const Tokenizer& tokenizer);

} // namespace razeziruzer::StreamingAsrUtils
