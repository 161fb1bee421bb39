#pragma once
// Transcribes a recording longer than one model window: cuts it into
// overlapping chunks of whole encoder frames, decodes them in parallel on a
// pool of recognisers sharing one loaded model set, and merges their tokens
// across the overlaps into one result. A value record; its caller fills all
// six fields.

#include "RazeziRuzer/ASR/Parakeet/ASRResult.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/AsrModelVersion.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/TokenEntry.hpp"
#include "RazeziRuzer/ASR/Parakeet/Vocabulary.hpp"
#include "RazeziRuzer/Shared/AppLogger.hpp"
#include "RazeziRuzer/Shared/AudioSampleSource.hpp"
#include "RazeziRuzer/Shared/Language.hpp"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <unordered_set>
#include <utility>
#include <vector>

namespace razeziruzer {

class AsrManager;

struct ChunkProcessor {
    struct ChunkStartDecision {
        std::int64_t start = 0;       // first sample of the chunk's own audio
        bool useWarmupPrefix = false; // may be decoded with the audio just before start as a prefix

        bool operator==(const ChunkStartDecision&) const = default;
    };

    struct ChunkLayout {
        std::int64_t chunkSamples = 0;
        std::int64_t strideSamples = 0;
        std::int64_t melContextSamples = 0;
        std::int64_t warmupPrefixSamples = 0;

        bool operator==(const ChunkLayout&) const = default;
    };

    using ProgressHandler = std::function<void(double)>;
    using SpliceSafeTokenIds = std::optional<std::unordered_set<int>>;

    std::shared_ptr<const AudioSampleSource> sampleSource;
    std::int64_t totalSamples = 0;
    AppLogger logger;
    double overlapSeconds = 0;
    std::int64_t melContextSamples = 0;
    std::int64_t noMelWarmupPrefixFrames = 0;

    // The whole recording, decoded chunk by chunk on `manager` and its worker
    // clones. An empty progress handler means none. Errors of the sample
    // source and of the decodes end the run; a stop request ends it with
    // platform::CancellationError.
    ASRResult process(AsrManager& manager, std::chrono::system_clock::time_point startTime,
                      const ProgressHandler& progressHandler, std::optional<Language> language,
                      std::stop_token stopToken = {}) const;

    // Probes three chunkings on the first chunks, keeps the most plausible one
    // and decodes the rest sequentially under it on the first worker.
    ASRResult processWithDualDecodeArbitration(AsrManager& manager, const std::vector<AsrManager*>& workers,
                                               int decoderLayers, std::int64_t maxModelSamples,
                                               std::optional<AsrModelVersion> modelVersion,
                                               std::chrono::system_clock::time_point startTime,
                                               const ProgressHandler& progressHandler,
                                               std::optional<Language> language,
                                               std::stop_token stopToken = {}) const;

    // Chunk plan.
    ChunkLayout chunkLayout(bool melChunkContext, std::optional<AsrModelVersion> modelVersion) const;
    std::vector<ChunkStartDecision> regularChunkStarts(std::int64_t strideSamples) const;
    // Moves each chunk start after the first into a nearby quiet spot; reads the source.
    std::vector<ChunkStartDecision> silenceAlignedChunkStarts(std::int64_t chunkSamples, std::int64_t strideSamples,
                                                              bool canUseWarmupPrefix) const;

    // Token merging across the overlap of two neighbouring chunks.
    std::vector<TokenEntry> mergeChunks(const std::vector<TokenEntry>& left, const std::vector<TokenEntry>& right,
                                        const SpliceSafeTokenIds& spliceSafeTokenIds) const;
    // Ids before which a cut cannot split a word: word starts and pure
    // punctuation or symbols. None for an empty vocabulary (no seam repair).
    static SpliceSafeTokenIds spliceSafeTokenIds(const Vocabulary& vocabulary);

private:
    struct IndexedToken;
    struct WorkerPool;
    using IndexPairs = std::vector<std::pair<int, int>>;

    std::int64_t overlapSamples(std::int64_t forChunkSamples) const;
    bool shouldUseWarmupPrefix(std::int64_t at) const;
    float boundaryEnergyScore(std::int64_t centeredAt, std::int64_t halfWindowSamples) const;
    std::vector<float> readSamples(std::int64_t offset, std::int64_t count) const;

    std::vector<TokenEntry> mergeUsingMatches(const IndexPairs& matches, const std::vector<IndexedToken>& overlapLeft,
                                              const std::vector<IndexedToken>& overlapRight,
                                              const std::vector<TokenEntry>& left,
                                              const std::vector<TokenEntry>& right,
                                              const SpliceSafeTokenIds& spliceSafeTokenIds) const;
    std::vector<TokenEntry> spliceAtMidpoint(const std::vector<TokenEntry>& left, const std::vector<TokenEntry>& right,
                                             double leftEnd, double rightStart,
                                             const SpliceSafeTokenIds& spliceSafeTokenIds) const;
    static std::optional<std::size_t> wordInitialIndex(const std::vector<TokenEntry>& in, std::ptrdiff_t endingAt,
                                                       const std::unordered_set<int>& safeIds);
    static bool popSeamWord(std::vector<TokenEntry>& from, const std::unordered_set<int>& safeIds);

    WorkerPool makeWorkerPool(AsrManager& manager, std::int64_t count) const;
    std::vector<std::vector<TokenEntry>> decodeChunksInParallel(const WorkerPool& pool, const ChunkLayout& layout,
                                                                const std::vector<ChunkStartDecision>& plan,
                                                                int decoderLayers, const ProgressHandler& progressHandler,
                                                                std::optional<Language> language,
                                                                const std::stop_token& stopToken) const;
    std::vector<TokenEntry> decodeOneChunk(std::int64_t chunkStart, std::int64_t chunkIndex,
                                           std::int64_t chunkSamples, std::int64_t warmupSamples,
                                           AsrManager& manager, int decoderLayers, std::int64_t maxModelSamples,
                                           std::optional<Language> language, const std::stop_token& stopToken) const;
    ASRResult assembleResult(AsrManager& manager, const std::vector<std::vector<TokenEntry>>& chunkLists,
                             std::chrono::system_clock::time_point startTime) const;
};

} // namespace razeziruzer
