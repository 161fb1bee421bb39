#include "RazeziRuzer/Diarizer/Offline/Clustering/VBxClustering.hpp"

#include "RazeziRuzer/Diarizer/Offline/Clustering/KMeansClustering.hpp"
#include "RazeziRuzer/Diarizer/Offline/Clustering/VBxIterations.hpp"
#include "RazeziRuzer/Shared/DoubleText.hpp"

#include <algorithm>
#include <exception>
#include <map>
#include <string>

namespace razeziruzer {
namespace {

constexpr double warmStartSmoothing = 7.0;
constexpr std::int64_t kMeansIterations = 100;

std::string histogramText(const std::map<std::int64_t, std::int64_t>& histogram) {
    std::string text = "[";
    for (const auto& [label, count] : histogram) {
        if (text.size() > 1) text += ", ";
        text += std::to_string(label) + ": " + std::to_string(count);
    }
    return text + "]";
}

std::vector<double> oneHotStart(const std::vector<std::int64_t>& labels, std::size_t t, std::size_t s) {
    if (labels.empty()) return std::vector<double>(t * s, 1.0 / static_cast<double>(s));
    std::vector<double> gamma(t * s, 0.0);
    for (std::size_t k = 0; k < std::min(labels.size(), t); ++k) {
        const auto label = std::clamp<std::int64_t>(labels[k], 0, static_cast<std::int64_t>(s) - 1);
        gamma[k * s + static_cast<std::size_t>(label)] = 1.0;
    }
    return gamma;
}

std::int64_t firstMaximum(const std::vector<double>& row) {
    std::size_t best = 0;
    for (std::size_t k = 1; k < row.size(); ++k) {
        if (row[k] > row[best]) best = k;
    }
    return static_cast<std::int64_t>(best);
}

} // namespace

VBxOutput VBxClustering::refine(const std::vector<std::vector<double>>& rhoFeatures,
                                const std::vector<std::int64_t>& initialClusters) const {
    const std::size_t t = rhoFeatures.size();
    if (t == 0) return {};
    const std::size_t d = rhoFeatures.front().size();
    if (d == 0) {
        logger.error("VBx received empty feature vectors");
        return {};
    }
    std::vector<double> phi = psi;
    if (phi.size() != d) {
        logger.warning("PLDA psi dimension (" + std::to_string(psi.size()) + ") mismatches rho dimension (" +
                       std::to_string(d) + "); falling back to identity");
        phi.assign(d, 1.0);
    }
    std::map<std::int64_t, std::int64_t> histogram;
    for (const auto label : initialClusters) ++histogram[label];
    const std::size_t s = std::max<std::size_t>(1, histogram.size());
    logger.debug("VBx warm start clusters: " + std::to_string(s) + " histogram: " + histogramText(histogram));

    vbx::Problem problem;
    problem.features.assign(t * d, 0.0);
    for (std::size_t row = 0; row < t; ++row) {
        std::copy_n(rhoFeatures[row].begin(), std::min(d, rhoFeatures[row].size()), problem.features.begin() + row * d);
    }
    problem.frameCount = t;
    problem.dimension = d;
    problem.phi = phi;
    problem.initialGamma = oneHotStart(initialClusters, t, s);
    problem.speakerCount = s;
    problem.maxIterations = config.vbx.maxIterations;
    problem.epsilon = config.vbx.convergenceTolerance;
    problem.fa = config.clustering.warmStartFa;
    problem.fb = config.clustering.warmStartFb;
    problem.initSmoothing = warmStartSmoothing;

    vbx::Solution solution;
    try {
        solution = vbx::run(problem);
    } catch (const std::exception& error) {
        logger.error(std::string("VBx failed to prepare BLAS arguments: ") + error.what());
        solution = {problem.initialGamma, std::vector<double>(s, 1.0 / static_cast<double>(s)), {}};
    }

    VBxOutput output;
    output.hardClusters.emplace_back();
    for (std::size_t row = 0; row < t; ++row) {
        output.gamma.emplace_back(solution.gamma.begin() + static_cast<std::ptrdiff_t>(row * s),
                                  solution.gamma.begin() + static_cast<std::ptrdiff_t>((row + 1) * s));
        output.hardClusters.front().push_back(firstMaximum(output.gamma.back()));
    }
    if (solution.pi.empty()) {
        logger.debug("VBx mixture weights unavailable");
    } else {
        const auto [low, high] = std::minmax_element(solution.pi.begin(), solution.pi.end());
        logger.debug("VBx mixture weights \u2013 min: " + doubleText(*low) + ", max: " + doubleText(*high) +
                     ", count: " + std::to_string(s));
    }
    output.pi = std::move(solution.pi);
    output.numClusters = static_cast<std::int64_t>(s);
    output.elbos = std::move(solution.elbos);
    return output;
}

VBxOutput VBxClustering::refineWithConstraints(const std::vector<std::vector<double>>& rhoFeatures,
                                               const std::vector<std::vector<double>>& trainingEmbeddings,
                                               const std::vector<std::int64_t>& initialClusters,
                                               const std::optional<SpeakerCountConstraints>& constraints) const {
    auto output = refine(rhoFeatures, initialClusters);
    if (!constraints) return output;
    const std::int64_t found = output.numClusters;
    std::int64_t target = 0;
    if (found < constraints->minSpeakers) {
        target = constraints->minSpeakers;
    } else if (found > constraints->maxSpeakers) {
        target = constraints->maxSpeakers;
    } else {
        return output;
    }
    logger.info("Speaker count " + std::to_string(found) + " outside bounds [" +
                std::to_string(constraints->minSpeakers) + ", " + std::to_string(constraints->maxSpeakers) +
                "]; re-clustering to " + std::to_string(target));
    auto forced = KMeansClustering::clusterWithCentroids(trainingEmbeddings, target, kMeansIterations, std::nullopt);
    output.hardClusters = {std::move(forced.clusters)};
    output.centroids = std::move(forced.centroids);
    output.numClusters = target;
    output.wasAdjusted = true;
    output.originalClusterCount = found;
    return output;
}

} // namespace razeziruzer
