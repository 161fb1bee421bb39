#pragma once
// The three builds of the end-of-utterance streaming model, each fixing the
// sizes of one chunk: samples handed to the encoder, mel frames, duration,
// decoded encoder frames, pre-encode cache length and the advance between
// chunks (chunks overlap when it is shorter than the chunk).

#include "RazeziRuzer/Repo.hpp"

#include <array>
#include <cstdint>
#include <string>

namespace razeziruzer {

enum class StreamingChunkSize { ms160, ms320, ms1280 };

inline constexpr std::array<StreamingChunkSize, 3> allStreamingChunkSizes{
    StreamingChunkSize::ms160, StreamingChunkSize::ms320, StreamingChunkSize::ms1280};

struct StreamingChunkGeometry {
    std::int64_t chunkSamples;
    std::int64_t melFrames;
    std::int64_t durationMs;
    const char* modelSubdirectory;
    std::int64_t validOutputLen;
    std::int64_t preCacheSize;
    std::int64_t shiftSamples;
};

StreamingChunkGeometry geometry(StreamingChunkSize size);
Repo repo(StreamingChunkSize size);
// Milliseconds per decoded encoder frame: shift / valid frames, rounded half away from zero.
std::int64_t frameDurationMs(StreamingChunkSize size);

} // namespace razeziruzer
