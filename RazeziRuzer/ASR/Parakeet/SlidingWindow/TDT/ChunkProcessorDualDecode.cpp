// The dual-decode road: the first chunks are decoded under three chunkings,
// one is chosen, and the rest of the recording is decoded under it, one chunk
// after another on one recogniser.

#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/ChunkProcessor.hpp"

#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/AsrManager.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/ChunkGeometry.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/ChunkWindow.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/DualDecodeArbitration.hpp"
#include "Platform/Concurrency/Cancellation.hpp"

#include <algorithm>

namespace razeziruzer {

using namespace chunkgeometry;

namespace {

constexpr std::int64_t dualChunkSamples = 239360;
constexpr std::int64_t dualWarmupCapSamples = 8960;
constexpr std::size_t maxProbeChunks = 3;

using Chunking = DualDecodeArbitration::Chunking;
using Decisions = std::vector<ChunkProcessor::ChunkStartDecision>;

} // namespace

std::vector<TokenEntry> ChunkProcessor::decodeOneChunk(std::int64_t chunkStart, std::int64_t /*chunkIndex*/,
                                                       std::int64_t chunkSamples, std::int64_t warmupSamples,
                                                       AsrManager& manager, int decoderLayers,
                                                       std::int64_t maxModelSamples, std::optional<Language> language,
                                                       const std::stop_token& stopToken) const {
    const std::int64_t end = chunkStart + std::max(chunkSamples - warmupSamples, frameSamples);
    const std::int64_t clippedEnd = std::min(end, totalSamples);
    if (chunkStart >= clippedEnd) return {};
    const std::int64_t readStart = chunkStart - warmupSamples;
    const bool primed = warmupSamples >= 1;
    const ChunkWindow window{readSamples(readStart, clippedEnd - readStart),
                             0,
                             primed ? readStart : chunkStart,
                             end >= totalSamples,
                             primed ? std::optional<int>(static_cast<int>(chunkStart / frameSamples)) : std::nullopt,
                             maxModelSamples};
    return window.decode(manager, decoderLayers, language, stopToken);
}

ASRResult ChunkProcessor::processWithDualDecodeArbitration(
    AsrManager& manager, const std::vector<AsrManager*>& workers, int decoderLayers, std::int64_t maxModelSamples,
    std::optional<AsrModelVersion> /*modelVersion*/, std::chrono::system_clock::time_point startTime,
    const ProgressHandler& progressHandler, std::optional<Language> language, std::stop_token stopToken) const {
    const std::int64_t stride =
        floorToFrames(std::max(dualChunkSamples - overlapSamples(dualChunkSamples), frameSamples));
    const Decisions chunkingA = silenceAlignedChunkStarts(dualChunkSamples, stride, false);
    const Decisions chunkingB = silenceAlignedChunkStarts(dualChunkSamples, stride, true);
    const Decisions chunkingC = regularChunkStarts(stride);
    AsrManager& decoder = workers.empty() ? manager : *workers.front();
    const AppLogger runLogger("ChunkProcessor");

    const std::size_t count = chunkingA.size();
    const auto report = [&](std::size_t chunksDone) {
        if (progressHandler) {
            progressHandler(std::min(static_cast<double>(chunksDone) / static_cast<double>(count), 1.0));
        }
    };
    const auto decode = [&](std::int64_t start, std::size_t index, std::int64_t warmup) {
        return decodeOneChunk(start, static_cast<std::int64_t>(index), dualChunkSamples, warmup, decoder,
                              decoderLayers, maxModelSamples, language, stopToken);
    };
    // The prefix a decision of chunking B gets: up to 8,960 samples, less
    // where a full prefix would end the chunk too close to the next start.
    const auto warmupOf = [&](Chunking chunking, std::size_t i) -> std::int64_t {
        if (chunking != Chunking::b || !chunkingB[i].useWarmupPrefix) return 0;
        const auto& decision = chunkingB[i];
        const std::int64_t nextStart = i + 1 < count ? chunkingB[i + 1].start : totalSamples;
        return warmupReaching(decision.start, std::min(decision.start, dualWarmupCapSamples), dualChunkSamples,
                              coverageTarget(nextStart, totalSamples));
    };

    std::vector<std::vector<TokenEntry>> results{decode(chunkingA[0].start, 0, 0)};
    report(1);

    const std::size_t probeCount = std::min(count - 1, maxProbeChunks);
    DualDecodeArbitration::ProbeTally tallyA, tallyB, tallyC;
    for (std::size_t i = 1; i <= probeCount; ++i) {
        platform::checkCancellation(stopToken);
        auto listA = decode(chunkingA[i].start, i, 0);

        const std::int64_t warmupB = warmupOf(Chunking::b, i);
        const bool sameAsA = chunkingB[i].start == chunkingA[i].start;
        tallyB.add(warmupB > 0 ? decode(chunkingB[i].start, i, warmupB)
                               : (sameAsA ? listA : decode(chunkingB[i].start, i, 0)));
        tallyC.add(chunkingC[i].start != chunkingA[i].start ? decode(chunkingC[i].start, i, 0) : listA);
        tallyA.add(std::move(listA));
    }

    const DualDecodeArbitration arbitration(tallyA, tallyB, tallyC, overlapSeconds);
    runLogger.debug(arbitration.logLine(tallyA, tallyB, tallyC));
    const Chunking choice = arbitration.choice;
    const Decisions& chosen = choice == Chunking::a ? chunkingA : (choice == Chunking::b ? chunkingB : chunkingC);
    auto& chosenTally = choice == Chunking::a ? tallyA : (choice == Chunking::b ? tallyB : tallyC);

    for (auto& list : chosenTally.lists) results.push_back(std::move(list));
    if (probeCount >= 1) report(probeCount + 1);

    for (std::size_t i = probeCount + 1; i < count; ++i) {
        platform::checkCancellation(stopToken);
        results.push_back(decode(chosen[i].start, i, warmupOf(choice, i)));
        report(i + 1);
    }

    // A start moved early into a quiet spot ends its chunk early too; when
    // the last chunk stops short of the end, decode on along the grid so the
    // end of the recording is not dropped.
    std::int64_t lastStart = chosen.back().start;
    std::int64_t lastEnd = lastStart + std::max(dualChunkSamples - warmupOf(choice, count - 1), frameSamples);
    for (std::size_t i = count; lastEnd < totalSamples; ++i) {
        platform::checkCancellation(stopToken);
        lastStart += stride;
        lastEnd = lastStart + dualChunkSamples;
        results.push_back(decode(lastStart, i, 0));
    }

    return assembleResult(manager, results, startTime);
}

} // namespace razeziruzer
