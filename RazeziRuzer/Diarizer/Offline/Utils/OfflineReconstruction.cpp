#include "RazeziRuzer/Diarizer/Offline/Utils/OfflineReconstruction.hpp"

#include "Platform/Accel/Blas.hpp"
#include "Platform/Accel/VectorOps.hpp"
#include "RazeziRuzer/Diarizer/Offline/Utils/FrameActivityGrid.hpp"

#include <algorithm>
#include <cmath>
#include <optional>

namespace razeziruzer {
namespace {

struct Accumulator {
    double start = 0;
    double end = 0;
    double scoreSum = 0;
    std::int64_t frameCount = 0;
};

float clampQuality(double value) { return static_cast<float>(std::clamp(value, 0.0, 1.0)); }

void sortByStart(std::vector<TimedSpeakerSegment>& segments) {
    std::stable_sort(segments.begin(), segments.end(), [](const auto& a, const auto& b) {
        return a.startTimeSeconds < b.startTimeSeconds;
    });
}

std::vector<std::int64_t> speakerCounts(const FrameActivityGrid& grid, std::int64_t limit, const AppLogger& logger) {
    std::vector<std::int64_t> counts(grid.frameCount(), 0);
    std::map<std::int64_t, std::int64_t> histogram;
    for (std::size_t g = 0; g < grid.frameCount(); ++g) {
        if (!grid.hasHits(g)) continue;
        const auto rounded = static_cast<std::int64_t>(std::nearbyint(grid.meanWeight(g)));
        counts[g] = std::min(std::max<std::int64_t>(rounded, 0), limit);
        ++histogram[counts[g]];
    }
    if (!histogram.empty()) {
        std::string text;
        for (const auto& [count, frames] : histogram) {
            if (!text.empty()) text += ", ";
            text += std::to_string(count) + ":" + std::to_string(frames);
        }
        logger.debug("Speaker-count histogram " + text);
    }
    return counts;
}

// The `count` most active clusters of a frame, leaving out clusters with no
// activity there: picking one would invent a speaker nobody heard.
std::vector<std::size_t> activeClusters(const FrameActivityGrid& grid, std::size_t frame, std::int64_t count) {
    std::vector<std::size_t> order(grid.clusterCount());
    for (std::size_t s = 0; s < order.size(); ++s) order[s] = s;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return grid.activitySum(frame, a) > grid.activitySum(frame, b);
    });
    order.resize(std::min(order.size(), static_cast<std::size_t>(count)));
    std::erase_if(order, [&](std::size_t s) { return !(grid.activitySum(frame, s) > 0); });
    std::sort(order.begin(), order.end());
    return order;
}

} // namespace

std::vector<TimedSpeakerSegment> OfflineReconstruction::buildSegments(
    const SegmentationOutput& segmentation, const std::vector<std::vector<std::int64_t>>& hardClusters,
    const std::vector<std::vector<double>>& centroids) const {
    const double fd = segmentation.frameDuration;
    if (segmentation.numChunks < 1 || segmentation.numFrames < 1 || !(fd > 0)) return {};
    const auto chunks = static_cast<std::size_t>(segmentation.numChunks);
    const std::size_t clusters = std::max<std::size_t>(1, centroids.size());
    const auto offsetOf = [&](std::size_t c) {
        return c < segmentation.chunkOffsets.size() ? segmentation.chunkOffsets[c]
                                                    : static_cast<double>(c) * config.segmentation.windowDurationSeconds;
    };
    double audioEnd = 0;
    for (std::size_t c = 0; c < chunks; ++c) {
        audioEnd = std::max(audioEnd, offsetOf(c) + static_cast<double>(segmentation.numFrames) * fd);
    }
    const auto frames = static_cast<std::size_t>(std::max(1.0, std::ceil(audioEnd / fd)));

    FrameActivityGrid grid(frames, clusters);
    const std::vector<std::int64_t> unassigned(static_cast<std::size_t>(std::max<std::int64_t>(0, segmentation.numSpeakers)), -2);
    for (std::size_t c = 0; c < std::min(chunks, segmentation.speakerWeights.size()); ++c) {
        if (segmentation.speakerWeights[c].empty()) continue;
        grid.addChunk(segmentation.speakerWeights[c], c < hardClusters.size() ? hardClusters[c] : unassigned,
                      offsetOf(c), fd);
    }
    const auto limit = std::min<std::int64_t>(segmentation.numSpeakers, static_cast<std::int64_t>(clusters));
    const auto counts = speakerCounts(grid, limit, logger);

    std::vector<TimedSpeakerSegment> segments;
    const auto close = [&](std::size_t s, const Accumulator& a, double end) {
        std::vector<float> embedding(centroids.empty() ? 0 : centroids.front().size(), 0.0f);
        if (s < centroids.size()) embedding.assign(centroids[s].begin(), centroids[s].end());
        const double quality = a.frameCount < 1 ? a.scoreSum : a.scoreSum / static_cast<double>(a.frameCount);
        segments.emplace_back("S" + std::to_string(s + 1), std::move(embedding), a.start, end, clampQuality(quality));
    };
    std::vector<std::optional<Accumulator>> open(clusters);
    for (std::size_t g = 0; g < frames; ++g) {
        const double t0 = static_cast<double>(g) * fd;
        const double t1 = fd + t0;
        const auto active = counts[g] > 0 ? activeClusters(grid, g, counts[g]) : std::vector<std::size_t>{};
        for (std::size_t s = 0; s < clusters; ++s) {
            if (!open[s] || std::find(active.begin(), active.end(), s) != active.end()) continue;
            if (open[s]->start < t0) close(s, *open[s], t0);
            open[s].reset();
        }
        for (const auto s : active) {
            const double w = grid.activity(g, s);
            if (open[s]) {
                open[s]->end = t1;
                open[s]->scoreSum += w;
                open[s]->frameCount += 1;
            } else {
                open[s] = Accumulator{t0, t1, w, 1};
            }
        }
    }
    for (std::size_t s = 0; s < clusters; ++s) {
        if (open[s] && open[s]->start < open[s]->end) close(s, *open[s], open[s]->end);
    }
    const double gap = std::max(config.segmentation.minDurationOff, config.postProcessing.minGapDurationSeconds);
    return sanitize(mergeSegments(std::move(segments), gap));
}

std::vector<TimedSpeakerSegment> OfflineReconstruction::mergeSegments(std::vector<TimedSpeakerSegment> segments,
                                                                      double gapThreshold) const {
    if (segments.empty()) return segments;
    sortByStart(segments);
    std::vector<TimedSpeakerSegment> merged;
    TimedSpeakerSegment current = segments.front();
    for (std::size_t i = 1; i < segments.size(); ++i) {
        const auto& next = segments[i];
        if (next.speakerId != current.speakerId || !(gapThreshold >= next.startTimeSeconds - current.endTimeSeconds)) {
            merged.push_back(std::move(current));
            current = next;
            continue;
        }
        const double d1 = current.durationSeconds();
        const double d2 = next.durationSeconds();
        const double quality = d1 + d2 > 0 ? (d1 * current.qualityScore + d2 * next.qualityScore) / (d1 + d2)
                                            : (static_cast<double>(current.qualityScore) + next.qualityScore) / 2;
        current = TimedSpeakerSegment(current.speakerId, current.embedding, current.startTimeSeconds,
                                      std::max(current.endTimeSeconds, next.endTimeSeconds), clampQuality(quality));
    }
    merged.push_back(std::move(current));
    return merged;
}

std::vector<TimedSpeakerSegment> OfflineReconstruction::sanitize(std::vector<TimedSpeakerSegment> segments) const {
    sortByStart(segments);
    const double minimum = std::max(config.embedding.minSegmentDurationSeconds, config.segmentation.minDurationOn);
    std::erase_if(segments, [&](const TimedSpeakerSegment& s) { return !(s.durationSeconds() >= minimum); });
    return config.postProcessing.exclusiveSegments ? excludeOverlaps(segments) : segments;
}

std::vector<TimedSpeakerSegment> OfflineReconstruction::excludeOverlaps(
    const std::vector<TimedSpeakerSegment>& segments) const {
    std::vector<TimedSpeakerSegment> kept;
    for (const auto& segment : segments) {
        const double start =
            kept.empty() ? segment.startTimeSeconds : std::max(segment.startTimeSeconds, kept.back().endTimeSeconds);
        const double end = segment.endTimeSeconds;
        if (!(start < end) || !(end - start >= config.embedding.minSegmentDurationSeconds)) continue;
        const double original = end - segment.startTimeSeconds;
        const double share = original > 0 ? (end - start) / original : 1.0;
        kept.emplace_back(segment.speakerId, segment.embedding, start, end,
                          clampQuality(segment.qualityScore * share));
    }
    return kept;
}

std::map<std::string, std::vector<float>> OfflineReconstruction::buildSpeakerDatabase(
    const std::vector<TimedSpeakerSegment>& segments) const {
    std::map<std::string, std::vector<float>> sums;
    std::map<std::string, std::size_t> counts;
    for (const auto& segment : segments) {
        auto [it, added] = sums.try_emplace(segment.speakerId, segment.embedding.size(), 0.0f);
        if (it->second.size() != segment.embedding.size()) continue;
        platform::accel::saxpy(1.0f, segment.embedding, it->second);
        ++counts[segment.speakerId];
    }
    for (auto& [id, sum] : sums) {
        if (counts[id] > 0) platform::accel::scale(sum, 1.0f / static_cast<float>(counts[id]), sum);
    }
    return sums;
}

} // namespace razeziruzer
