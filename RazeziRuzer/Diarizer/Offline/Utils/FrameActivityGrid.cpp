#include "RazeziRuzer/Diarizer/Offline/Utils/FrameActivityGrid.hpp"

#include <algorithm>
#include <cmath>

namespace razeziruzer {

FrameActivityGrid::FrameActivityGrid(std::size_t frameCount, std::size_t clusterCount)
    : frames_(frameCount), clusters_(clusterCount), activitySums_(frameCount * clusterCount, 0.0),
      activityHits_(frameCount * clusterCount, 0.0), weightSums_(frameCount, 0.0), frameHits_(frameCount, 0.0) {}

void FrameActivityGrid::addChunk(const FrameRows& weights, const std::vector<std::int64_t>& clusterOf,
                                 double offsetSeconds, double frameDuration) {
    const auto last = static_cast<long long>(frames_) - 1;
    std::vector<double> best(clusters_);
    for (std::size_t t = 0; t < weights.size(); ++t) {
        const auto& frame = weights[t];
        const double position = (static_cast<double>(t) * frameDuration + offsetSeconds) / frameDuration;
        const auto g = static_cast<std::size_t>(std::clamp(std::llround(position), 0LL, last));
        std::fill(best.begin(), best.end(), 0.0);
        for (std::size_t k = 0; k < std::min(clusterOf.size(), frame.size()); ++k) {
            const auto cluster = clusterOf[k];
            if (cluster < 0 || static_cast<std::size_t>(cluster) >= clusters_) continue;
            auto& value = best[static_cast<std::size_t>(cluster)];
            value = std::max<double>(value, frame[k]);
        }
        double total = 0;
        for (const float w : frame) total += w;
        weightSums_[g] += total;
        frameHits_[g] += 1;
        for (std::size_t s = 0; s < clusters_; ++s) {
            if (best[s] > 0) {
                activitySums_[at(g, s)] += best[s];
                activityHits_[at(g, s)] += 1;
            }
        }
    }
}

double FrameActivityGrid::activity(std::size_t frame, std::size_t cluster) const {
    const double hits = activityHits_[at(frame, cluster)];
    return hits > 0 ? activitySums_[at(frame, cluster)] / hits : 0.0;
}

} // namespace razeziruzer
