#pragma once
// Small builders shared by the chunking tests: a chunk processor over given
// samples, and token lists written compactly.

#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/ChunkProcessor.hpp"
#include "RazeziRuzer/Shared/ArrayAudioSampleSource.hpp"

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

namespace razeziruzer::chunktest {

inline ChunkProcessor processorOver(std::vector<float> samples, double overlapSeconds = 2.0,
                                    std::int64_t melContextSamples = 1280, std::int64_t warmupFrames = 0) {
    const auto total = static_cast<std::int64_t>(samples.size());
    return ChunkProcessor{std::make_shared<ArrayAudioSampleSource>(std::move(samples)), total,
                          AppLogger("ChunkProcessor"), overlapSeconds, melContextSamples, warmupFrames};
}

inline ChunkProcessor processorOfLength(std::int64_t totalSamples, double overlapSeconds = 2.0) {
    auto processor = processorOver({}, overlapSeconds);
    processor.totalSamples = totalSamples;
    return processor;
}

// (token id, frame) pairs; confidence 1, no duration.
inline std::vector<TokenEntry> tokens(std::initializer_list<std::pair<int, int>> idsAndFrames) {
    std::vector<TokenEntry> list;
    for (const auto& [id, frame] : idsAndFrames) list.push_back({id, frame, 1.0f, 0});
    return list;
}

} // namespace razeziruzer::chunktest
