#pragma once
// The windows' per-frame speaker activity added onto one global frame grid:
// for every global frame and cluster the mean of the windows' strongest local
// weight, and for every frame the mean total weight of its windows.

#include "RazeziRuzer/Diarizer/Offline/Core/SegmentationOutput.hpp"

#include <cstdint>
#include <vector>

namespace razeziruzer {

class FrameActivityGrid {
public:
    FrameActivityGrid(std::size_t frameCount, std::size_t clusterCount);

    // Adds one window's frames; local speakers map to clusters through
    // `clusterOf` (negative or out of range: ignored).
    void addChunk(const FrameRows& weights, const std::vector<std::int64_t>& clusterOf, double offsetSeconds,
                  double frameDuration);

    std::size_t frameCount() const { return frames_; }
    std::size_t clusterCount() const { return clusters_; }
    bool hasHits(std::size_t frame) const { return frameHits_[frame] > 0; }
    // Mean of the windows' total local weight; only for a frame with hits.
    double meanWeight(std::size_t frame) const { return weightSums_[frame] / frameHits_[frame]; }
    double activity(std::size_t frame, std::size_t cluster) const;
    double activitySum(std::size_t frame, std::size_t cluster) const { return activitySums_[at(frame, cluster)]; }

private:
    std::size_t at(std::size_t frame, std::size_t cluster) const { return frame * clusters_ + cluster; }

    std::size_t frames_;
    std::size_t clusters_;
    std::vector<double> activitySums_;
    std::vector<double> activityHits_;
    std::vector<double> weightSums_;
    std::vector<double> frameHits_;
};

} // namespace razeziruzer
