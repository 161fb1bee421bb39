#pragma once
// Variational-Bayes refinement of the first clustering over PLDA features: a
// mixture of speaker models without frame transitions, warm-started from the
// agglomerative labels, with a k-means re-clustering when the resulting
// speaker count breaks the caller's constraints.

#include "RazeziRuzer/Diarizer/Offline/Clustering/SpeakerCountConstraints.hpp"
#include "RazeziRuzer/Diarizer/Offline/Core/OfflineDiarizerConfig.hpp"
#include "RazeziRuzer/Diarizer/Offline/Core/VBxOutput.hpp"
#include "RazeziRuzer/Shared/AppLogger.hpp"

#include <cstdint>
#include <optional>
#include <vector>

namespace razeziruzer {

struct VBxClustering {
    OfflineDiarizerConfig config;
    // The PLDA across-class variance diagonal, one value per feature dimension.
    std::vector<double> psi;
    AppLogger logger{"OfflineVBx"};

    // Never throws; empty input gives the empty output.
    VBxOutput refine(const std::vector<std::vector<double>>& rhoFeatures,
                     const std::vector<std::int64_t>& initialClusters) const;

    VBxOutput refineWithConstraints(const std::vector<std::vector<double>>& rhoFeatures,
                                    const std::vector<std::vector<double>>& trainingEmbeddings,
                                    const std::vector<std::int64_t>& initialClusters,
                                    const std::optional<SpeakerCountConstraints>& constraints) const;
};

} // namespace razeziruzer
