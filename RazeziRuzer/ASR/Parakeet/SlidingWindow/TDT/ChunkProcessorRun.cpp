// The chunked run: a pool of recognisers sharing one model set decodes the
// planned chunks in parallel, at most one chunk per recogniser at a time, and
// the chunk token lists are merged in plan order into one result.

#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/ChunkProcessor.hpp"

#include "Platform/Concurrency/TaskGroup.hpp"
#include "Platform/Text/Whitespace.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/AsrManager.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/ChunkCompletionQueue.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/ChunkGeometry.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/ChunkWindow.hpp"
#include "Platform/Concurrency/Cancellation.hpp"

#include <algorithm>
#include <deque>
#include <string>

namespace razeziruzer {

using namespace chunkgeometry;

struct ChunkProcessor::WorkerPool {
    std::vector<AsrManager*> workers; // element 0 is the calling manager
    std::vector<std::unique_ptr<AsrManager>> clones;
};

ChunkProcessor::WorkerPool ChunkProcessor::makeWorkerPool(AsrManager& manager, std::int64_t count) const {
    WorkerPool pool{{&manager}, {}};
    if (count <= 1) return pool;
    for (std::int64_t i = 1; i < count; ++i) {
        auto clone = manager.makeWorkerClone();
        if (!clone) return WorkerPool{{&manager}, {}}; // no models: the manager alone
        pool.workers.push_back(clone.get());
        pool.clones.push_back(std::move(clone));
    }
    logger.debug("ChunkProcessor using worker pool of size " + std::to_string(pool.workers.size()));
    return pool;
}

ASRResult ChunkProcessor::process(AsrManager& manager, std::chrono::system_clock::time_point startTime,
                                  const ProgressHandler& progressHandler, std::optional<Language> language,
                                  std::stop_token stopToken) const {
    const WorkerPool pool = makeWorkerPool(manager, std::max<std::int64_t>(1, manager.parallelChunkConcurrency()));
    const auto version = manager.modelVersion();
    const bool melChunkContext = manager.melChunkContext();
    const int decoderLayers = manager.decoderLayerCount();

    if (manager.dualDecodeArbitration() && !melChunkContext && version == AsrModelVersion::v3) {
        return processWithDualDecodeArbitration(manager, pool.workers, decoderLayers, modelWindowSamples,
                                                AsrModelVersion::v3, startTime, progressHandler, language,
                                                std::move(stopToken));
    }

    const ChunkLayout layout = chunkLayout(melChunkContext, version);
    const bool silenceAligned =
        (version == AsrModelVersion::v3 && !melChunkContext) || layout.warmupPrefixSamples > 0;
    const auto plan = silenceAligned ? silenceAlignedChunkStarts(layout.chunkSamples, layout.strideSamples,
                                                                 layout.warmupPrefixSamples > 0)
                                     : regularChunkStarts(layout.strideSamples);

    const auto chunkLists =
        decodeChunksInParallel(pool, layout, plan, decoderLayers, progressHandler, language, stopToken);
    return assembleResult(manager, chunkLists, startTime);
}

std::vector<std::vector<TokenEntry>>
ChunkProcessor::decodeChunksInParallel(const WorkerPool& pool, const ChunkLayout& layout,
                                       const std::vector<ChunkStartDecision>& plan, int decoderLayers,
                                       const ProgressHandler& progressHandler, std::optional<Language> language,
                                       const std::stop_token& stopToken) const {
    auto& threads = platform::ThreadPool::shared();
    ChunkCompletionQueue completions; // outlives the group, whose children hand results in
    platform::TaskGroup group(threads, stopToken);

    std::deque<std::size_t> idleWorkers;
    for (std::size_t p = 0; p < pool.workers.size(); ++p) idleWorkers.push_back(p);
    std::vector<std::optional<std::vector<TokenEntry>>> slots;
    std::size_t inFlight = 0;

    const auto collectNextResult = [&] {
        if (inFlight == 0) return;
        auto finished = completions.next(threads);
        slots[finished.index] = std::move(finished.tokens);
        idleWorkers.push_back(finished.workerIndex);
        --inFlight;
    };

    std::int64_t start = plan.front().start;
    bool warm = plan.front().useWarmupPrefix;
    for (std::size_t n = 0; start < totalSamples; ++n) {
        platform::checkCancellation(stopToken);
        const std::int64_t nextStart = n + 1 < plan.size() ? plan[n + 1].start : start + layout.strideSamples;
        const std::int64_t requestedWarmup = (n > 0 && warm) ? std::min(start, layout.warmupPrefixSamples) : 0;
        const std::int64_t warmupUsed =
            warmupReaching(start, requestedWarmup, layout.chunkSamples, coverageTarget(nextStart, totalSamples));
        const std::int64_t end = start + std::max(layout.chunkSamples - warmupUsed, frameSamples);
        const std::int64_t clippedEnd = std::min(end, totalSamples);
        const bool isLast = end >= totalSamples;
        // The chunk that ends the recording is flushed: its decoder asks the
        // joint again at the final frames, which stays consistent only when it
        // has decoded every frame the encoder heard. A mel-context frame is
        // heard but never decoded (it would let the last token come out
        // twice), so that chunk starts at its own audio, as the first does.
        const std::int64_t melContext = (n > 0 && !isLast) ? layout.melContextSamples : 0;
        const std::int64_t left = std::min(start, warmupUsed > 0 ? warmupUsed : melContext);
        const std::int64_t readStart = start - left;

        ChunkWindow window{readSamples(readStart, clippedEnd - readStart),
                           warmupUsed == 0 ? left : 0,
                           // Frame 0 of the window is the recording's frame at readStart,
                           // context or prefix included, so token times are the recording's.
                           readStart,
                           isLast,
                           warmupUsed > 0 ? std::optional<int>(static_cast<int>(start / frameSamples)) : std::nullopt,
                           modelWindowSamples};

        if (idleWorkers.empty()) collectNextResult();
        const std::size_t p = idleWorkers.front();
        idleWorkers.pop_front();
        AsrManager* worker = pool.workers[p];
        slots.emplace_back();
        group.spawn([&completions, window = std::move(window), n, p, worker, decoderLayers,
                     language](std::stop_token stop) {
            try {
                auto tokens = window.decode(*worker, decoderLayers, language, stop);
                completions.push({n, std::move(tokens), p});
            } catch (...) {
                completions.fail(std::current_exception());
                throw;
            }
        });
        ++inFlight;

        if (isLast) break;
        if (progressHandler) {
            progressHandler(std::clamp(static_cast<double>(clippedEnd) / static_cast<double>(totalSamples), 0.0, 1.0));
        }
        if (n + 1 < plan.size()) {
            start = plan[n + 1].start;
            warm = plan[n + 1].useWarmupPrefix;
        } else {
            start += layout.strideSamples;
            warm = false;
        }
        if (idleWorkers.empty() && inFlight > 0) collectNextResult();
    }

    while (inFlight > 0) {
        platform::checkCancellation(stopToken);
        collectNextResult();
    }
    group.wait();

    std::vector<std::vector<TokenEntry>> chunkLists;
    for (auto& slot : slots) {
        if (slot) chunkLists.push_back(std::move(*slot));
    }
    return chunkLists;
}

ASRResult ChunkProcessor::assembleResult(AsrManager& manager, const std::vector<std::vector<TokenEntry>>& chunkLists,
                                         std::chrono::system_clock::time_point startTime) const {
    std::vector<TokenEntry> merged;
    if (chunkLists.size() == 1) {
        merged = chunkLists.front();
    } else if (chunkLists.size() > 1) {
        const auto safe = spliceSafeTokenIds(manager.vocabulary());
        merged = chunkLists.front();
        for (std::size_t i = 1; i < chunkLists.size(); ++i) merged = mergeChunks(merged, chunkLists[i], safe);
    }
    std::stable_sort(merged.begin(), merged.end(),
                     [](const TokenEntry& a, const TokenEntry& b) { return a.timestamp < b.timestamp; });

    std::vector<int> ids, timestamps, durations;
    std::vector<float> confidences;
    for (const auto& entry : merged) {
        ids.push_back(entry.token);
        timestamps.push_back(entry.timestamp);
        confidences.push_back(entry.confidence);
        durations.push_back(entry.duration);
    }
    const double processingTime =
        std::chrono::duration<double>(std::chrono::system_clock::now() - startTime).count();

    ASRResult result;
    result.text = manager.convertTokensToText(ids);
    result.tokenTimings = manager.createTokenTimings(ids, timestamps, confidences, durations);
    const bool isEmpty = platform::text::trimWhitespaceAndNewlines(result.text).empty();
    result.confidence = manager.calculateConfidence(static_cast<int>(ids.size()), isEmpty, confidences);
    result.duration = static_cast<double>(totalSamples) / static_cast<double>(manager.config().sampleRate());
    result.processingTime = processingTime;
    return result;
}

} // namespace razeziruzer
