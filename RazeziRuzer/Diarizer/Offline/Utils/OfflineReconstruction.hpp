#pragma once
// Last stage of whole-recording diarization: lays the windows' speaker
// activity onto one frame grid, picks the speakers of every frame, turns runs
// of activity into timed segments, then merges, filters and de-overlaps them.

#include "RazeziRuzer/Diarizer/Core/DiarizationResult.hpp"
#include "RazeziRuzer/Diarizer/Offline/Core/OfflineDiarizerConfig.hpp"
#include "RazeziRuzer/Diarizer/Offline/Core/SegmentationOutput.hpp"
#include "RazeziRuzer/Shared/AppLogger.hpp"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace razeziruzer {

struct OfflineReconstruction {
    OfflineDiarizerConfig config;
    AppLogger logger{"OfflineReconstruction"};

    // hardClusters: per window, the global cluster of each local speaker
    // (negative: none). A frame's speakers are its most active clusters, as
    // many as its estimated speaker count but never one without activity.
    std::vector<TimedSpeakerSegment> buildSegments(const SegmentationOutput& segmentation,
                                                   const std::vector<std::vector<std::int64_t>>& hardClusters,
                                                   const std::vector<std::vector<double>>& centroids) const;

    // The mean embedding of each speaker's segments.
    std::map<std::string, std::vector<float>> buildSpeakerDatabase(
        const std::vector<TimedSpeakerSegment>& segments) const;

    // Joins runs of one speaker separated by at most gapThreshold seconds.
    std::vector<TimedSpeakerSegment> mergeSegments(std::vector<TimedSpeakerSegment> segments,
                                                   double gapThreshold) const;
    // Drops too-short segments, then cuts overlaps when segments are exclusive.
    std::vector<TimedSpeakerSegment> sanitize(std::vector<TimedSpeakerSegment> segments) const;
    // Input sorted by start; each segment starts no earlier than the end of
    // the last one kept.
    std::vector<TimedSpeakerSegment> excludeOverlaps(const std::vector<TimedSpeakerSegment>& segments) const;
};

} // namespace razeziruzer
