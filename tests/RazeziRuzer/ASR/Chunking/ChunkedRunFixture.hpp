#pragma once
// A recogniser over the scripted Parakeet models and a chunk processor over
// coded audio (one token per 1,280-sample frame, -1 for a silent frame), as
// the recogniser itself would build it.

#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/AsrManager.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/ChunkProcessor.hpp"
#include "RazeziRuzer/Shared/ArrayAudioSampleSource.hpp"
#include "tests/RazeziRuzer/ASR/ScriptedParakeet/ScriptedParakeet.hpp"

#include <chrono>
#include <memory>
#include <vector>

namespace razeziruzer::chunktest {

using scriptedparakeet::ScriptedParakeet;

inline ASRConfig configWith(std::int64_t parallelChunkConcurrency, bool melChunkContext = true,
                            bool dualDecodeArbitration = false) {
    return ASRConfig(16000, TdtConfig::default_(), 1024, parallelChunkConcurrency, true, 480000, melChunkContext,
                     dualDecodeArbitration);
}

// The coded tokens a transcript of those frames must hold, in order.
inline std::vector<int> spokenTokens(const std::vector<int>& frames) {
    std::vector<int> tokens;
    for (const int token : frames) {
        if (token >= 0) tokens.push_back(token);
    }
    return tokens;
}

// Speech-like coded frames: two loud tokens (ids 30 ... 59, RMS above the
// warm-up probe's threshold, no id repeating within 30 frames), then a silent
// frame, so a chunk holds fewer tokens than a decode may emit. The last four
// frames are silent, as at the end of a recording.
inline std::vector<int> codedFrames(int count) {
    std::vector<int> frames;
    for (int f = 0; f < count; ++f) frames.push_back(f % 3 == 2 || f + 4 >= count ? -1 : 30 + (f * 7) % 30);
    return frames;
}

struct ChunkedRun {
    explicit ChunkedRun(const ASRConfig& config, scriptedparakeet::Options options = {})
        : scripted(std::move(options)), manager(config, scripted.models()) {}

    ChunkProcessor processorFor(const std::vector<int>& frames, std::int64_t warmupFrames = 0) const {
        auto samples = scriptedparakeet::codedAudio(frames);
        const auto total = static_cast<std::int64_t>(samples.size());
        return ChunkProcessor{std::make_shared<ArrayAudioSampleSource>(std::move(samples)), total,
                              AppLogger("ChunkProcessor"), 2.0, 1280, warmupFrames};
    }

    ASRResult transcribe(const std::vector<int>& frames, const ChunkProcessor::ProgressHandler& progress = {},
                         std::stop_token stop = {}, std::int64_t warmupFrames = 0) {
        return processorFor(frames, warmupFrames)
            .process(manager, std::chrono::system_clock::now(), progress, std::nullopt, std::move(stop));
    }

    ScriptedParakeet scripted;
    AsrManager manager;
};

} // namespace razeziruzer::chunktest
