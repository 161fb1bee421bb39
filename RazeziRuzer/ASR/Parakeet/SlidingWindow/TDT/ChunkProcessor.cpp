#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/ChunkProcessor.hpp"

#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/ChunkGeometry.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace razeziruzer {

namespace {

using namespace chunkgeometry;

constexpr std::int64_t firstSearchHalfWidthFrames = 50;
constexpr std::int64_t secondSearchHalfWidthFrames = 6;
constexpr std::int64_t energyHalfWindowSamples = 1280;
constexpr float firstSearchQuietFactor = 0.05f;
constexpr float secondSearchQuietFactor = 0.35f;
constexpr float loudFactor = 0.8f;
constexpr std::int64_t warmupProbeFrameSamples = 320;
constexpr std::int64_t warmupProbeSpanSamples = 3200;
constexpr float warmupProbeRmsThreshold = 0.003f;

float meanSquare(const std::vector<float>& samples) {
    if (samples.empty()) return 0;
    float sum = 0;
    for (const float sample : samples) sum += sample * sample;
    return sum / static_cast<float>(samples.size());
}

// The quietest frame boundary of one search around a grid position.
struct QuietSearch {
    std::int64_t best;
    float bestEnergy = std::numeric_limits<float>::max();
    std::vector<float> energies;

    // Upper median: the element at count / 2 of the sorted energies.
    float median() const {
        auto sorted = energies;
        std::sort(sorted.begin(), sorted.end());
        return sorted[sorted.size() / 2];
    }

    bool bestIsQuiet(float factor) const {
        const float m = median();
        return m > 0 ? bestEnergy <= factor * m : bestEnergy <= 0;
    }
};

} // namespace

std::int64_t ChunkProcessor::overlapSamples(std::int64_t forChunkSamples) const {
    // A negative or undefined overlap means none; one too large to count in
    // samples is capped by the half-chunk limit anyway.
    const double requestedSamples = overlapSeconds * sampleRate;
    std::int64_t requested = 0;
    if (requestedSamples >= static_cast<double>(std::numeric_limits<std::int64_t>::max())) {
        requested = std::numeric_limits<std::int64_t>::max();
    } else if (requestedSamples > 0) {
        requested = static_cast<std::int64_t>(requestedSamples);
    }
    return floorToFrames(std::min(forChunkSamples / 2, requested));
}

ChunkProcessor::ChunkLayout ChunkProcessor::chunkLayout(bool melChunkContext,
                                                        std::optional<AsrModelVersion> modelVersion) const {
    const std::int64_t mel = melChunkContext ? melContextSamples : 0;
    const std::int64_t chunkSamples = floorToFrames(std::max(chunkBudgetSamples - mel, frameSamples));
    const bool warmupAllowed = !melChunkContext && modelVersion == AsrModelVersion::v3;
    const std::int64_t warmup = warmupAllowed ? std::max<std::int64_t>(noMelWarmupPrefixFrames, 0) * frameSamples : 0;
    const std::int64_t strideSamples =
        floorToFrames(std::max(chunkSamples - overlapSamples(chunkSamples), frameSamples));
    return {chunkSamples, strideSamples, mel, warmup};
}

std::vector<ChunkProcessor::ChunkStartDecision> ChunkProcessor::regularChunkStarts(std::int64_t strideSamples) const {
    if (strideSamples < 1) throw std::invalid_argument("Chunk stride must be at least one sample");
    std::vector<ChunkStartDecision> plan{{0, false}};
    for (std::int64_t start = strideSamples; start < totalSamples; start += strideSamples) plan.push_back({start, false});
    return plan;
}

std::vector<ChunkProcessor::ChunkStartDecision>
ChunkProcessor::silenceAlignedChunkStarts(std::int64_t chunkSamples, std::int64_t strideSamples,
                                          bool canUseWarmupPrefix) const {
    if (strideSamples < 1) throw std::invalid_argument("Chunk stride must be at least one sample");
    std::vector<ChunkStartDecision> plan{{0, false}};
    if (strideSamples >= totalSamples) return plan;

    const std::int64_t lastFrame = (totalSamples - 1) / frameSamples;
    std::int64_t previous = 0;
    for (std::int64_t nominal = strideSamples; nominal < totalSamples; nominal += strideSamples) {
        const std::int64_t target = nominal / frameSamples;
        const std::int64_t aligned = target * frameSamples;
        const std::int64_t maxStart = previous + chunkSamples - tailMarginSamples;
        const std::int64_t fallback = std::min(maxStart, std::max(aligned, previous + frameSamples));

        const auto search = [&](std::int64_t halfWidthFrames) {
            QuietSearch result{fallback, std::numeric_limits<float>::max(), {}};
            const std::int64_t last = std::min(target + halfWidthFrames, lastFrame);
            for (std::int64_t frame = std::max<std::int64_t>(target - halfWidthFrames, 1); frame <= last; ++frame) {
                const std::int64_t candidate = frame * frameSamples;
                if (candidate <= previous || candidate > maxStart) continue;
                const float energy = boundaryEnergyScore(candidate, energyHalfWindowSamples);
                result.energies.push_back(energy);
                if (energy < result.bestEnergy) {
                    result.bestEnergy = energy;
                    result.best = candidate;
                }
            }
            return result;
        };

        ChunkStartDecision chosen{fallback, false};
        const QuietSearch wide = search(firstSearchHalfWidthFrames);
        if (!wide.energies.empty() && wide.bestIsQuiet(firstSearchQuietFactor)) {
            chosen = {wide.best, false};
            if (canUseWarmupPrefix) {
                const bool warm = shouldUseWarmupPrefix(wide.best);
                const float m = wide.median();
                const std::int64_t bestChunkTail = wide.best + chunkSamples - tailMarginSamples;
                if (m > 0 && warm && wide.best < fallback && bestChunkTail < totalSamples) {
                    // A quiet spot found early ends its chunk early too: when
                    // both the grid position and that early end are loud, the
                    // grid position serves better.
                    const float loud = loudFactor * m;
                    const bool loudAtFallback = boundaryEnergyScore(fallback, energyHalfWindowSamples) > loud;
                    const bool loudAtTail = boundaryEnergyScore(bestChunkTail, energyHalfWindowSamples) > loud;
                    chosen = (loudAtFallback && loudAtTail) ? ChunkStartDecision{fallback, false}
                                                            : ChunkStartDecision{wide.best, true};
                } else {
                    chosen.useWarmupPrefix = warm;
                }
            }
        } else {
            const QuietSearch narrow = search(secondSearchHalfWidthFrames);
            if (!narrow.energies.empty() && narrow.bestIsQuiet(secondSearchQuietFactor)) chosen = {narrow.best, false};
        }

        if (chosen.start <= previous) chosen.start = std::min(previous + strideSamples, totalSamples);
        plan.push_back(chosen);
        previous = chosen.start;
    }
    return plan;
}

bool ChunkProcessor::shouldUseWarmupPrefix(std::int64_t at) const {
    for (std::int64_t offset = 0; offset < warmupProbeSpanSamples;) {
        const std::int64_t position = at + offset;
        if (position >= totalSamples) return true;
        const std::int64_t n = std::min(warmupProbeFrameSamples, totalSamples - position);
        if (n < 1) return true;
        if (!(std::sqrt(meanSquare(readSamples(position, n))) < warmupProbeRmsThreshold)) return true;
        offset += n;
    }
    return false;
}

float ChunkProcessor::boundaryEnergyScore(std::int64_t centeredAt, std::int64_t halfWindowSamples) const {
    const std::int64_t from = std::max<std::int64_t>(centeredAt - halfWindowSamples, 0);
    const std::int64_t to = std::min(centeredAt + halfWindowSamples, totalSamples);
    if (to <= from) return 0;
    return meanSquare(readSamples(from, to - from));
}

std::vector<float> ChunkProcessor::readSamples(std::int64_t offset, std::int64_t count) const {
    std::vector<float> samples(static_cast<std::size_t>(std::max<std::int64_t>(count, 0)), 0.0f);
    if (!samples.empty()) sampleSource->copySamples(samples.data(), offset, count);
    return samples;
}

} // namespace razeziruzer
