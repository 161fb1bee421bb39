// VBx refinement: its worked cases, the constraint re-clustering, and the
// responsibilities, weights and ELBOs of random problems against numpy.
#include "RazeziRuzer/Diarizer/Offline/Clustering/VBxClustering.hpp"

#include "Platform/Core/Logger.hpp"
#include "tests/Support/PythonReference.hpp"
#include "tests/Support/TemporaryDirectory.hpp"
#include "tests/Support/TestHost.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <filesystem>
#include <random>

namespace razeziruzer {
namespace {

using Rows = std::vector<std::vector<double>>;
using Labels = std::vector<std::int64_t>;

VBxClustering makeVBx(std::size_t dimension, std::int64_t iterations = 20) {
    auto config = OfflineDiarizerConfig::defaultConfig();
    config.vbx.maxIterations = iterations;
    return VBxClustering{config, std::vector<double>(dimension, 2.0)};
}

// Rows around `speakers` directions in PLDA space.
Rows rhoRows(std::mt19937& random, std::size_t perSpeaker, std::size_t dimension, int speakers, double spread = 3.0) {
    std::normal_distribution<double> normal;
    Rows centres(static_cast<std::size_t>(speakers), std::vector<double>(dimension));
    for (auto& c : centres) {
        for (auto& v : c) v = spread * normal(random);
    }
    Rows rows;
    for (std::size_t i = 0; i < perSpeaker; ++i) {
        for (const auto& c : centres) {
            std::vector<double> row(dimension);
            for (std::size_t k = 0; k < dimension; ++k) row[k] = c[k] + normal(random);
            rows.push_back(row);
        }
    }
    return rows;
}

TEST(VBxClusteringTests, EmptyInputsGiveTheEmptyOutput) {
    platform::ScopedLogCapture capture;
    const auto vbx = makeVBx(4);
    const auto none = vbx.refine({}, {});
    EXPECT_TRUE(none.gamma.empty() && none.pi.empty() && none.hardClusters.empty() && none.elbos.empty());
    EXPECT_EQ(none.numClusters, 0);
    const auto empty = vbx.refine({{}, {}}, {0, 1});
    EXPECT_EQ(empty.numClusters, 0);
    EXPECT_TRUE(capture.contains("VBx received empty feature vectors"));
}

TEST(VBxClusteringTests, OneLabelMeansOneSpeaker) {
    std::mt19937 random(1);
    const auto rows = rhoRows(random, 6, 4, 2);
    const auto out = makeVBx(4).refine(rows, Labels(rows.size(), 3));
    EXPECT_EQ(out.numClusters, 1);
    EXPECT_EQ(out.pi, std::vector<double>{1.0});
    EXPECT_EQ(out.hardClusters, std::vector<Labels>{Labels(rows.size(), 0)});
    for (const auto& row : out.gamma) EXPECT_EQ(row, std::vector<double>{1.0});
}

TEST(VBxClusteringTests, ZeroIterationsKeepTheSmoothedWarmStart) {
    const Rows rows{{1, 0}, {0, 1}, {1, 1}};
    // Labels 5, 5, 9: two speakers, and both labels clamp into speaker 1.
    const auto out = makeVBx(2, 0).refine(rows, {5, 5, 9});
    EXPECT_TRUE(out.elbos.empty());
    EXPECT_EQ(out.pi, (std::vector<double>{0.5, 0.5}));
    const double labelled = std::exp(7.0) / (std::exp(7.0) + 1.0);
    for (const auto& row : out.gamma) {
        EXPECT_NEAR(row[0], 1 - labelled, 1e-15);
        EXPECT_NEAR(row[1], labelled, 1e-15);
    }
    EXPECT_EQ(out.hardClusters, std::vector<Labels>{(Labels{1, 1, 1})});
}

TEST(VBxClusteringTests, APsiOfTheWrongLengthFallsBackToOnes) {
    platform::ScopedLogCapture capture;
    std::mt19937 random(2);
    const auto rows = rhoRows(random, 5, 4, 2);
    Labels labels;
    for (std::size_t i = 0; i < rows.size(); ++i) labels.push_back(static_cast<std::int64_t>(i % 2));
    auto config = OfflineDiarizerConfig::defaultConfig();
    const VBxClustering wrong{config, std::vector<double>(3, 2.0)};
    const VBxClustering ones{config, std::vector<double>(4, 1.0)};
    const auto a = wrong.refine(rows, labels);
    EXPECT_TRUE(capture.contains("PLDA psi dimension (3) mismatches rho dimension (4); falling back to identity"));
    EXPECT_EQ(a.gamma, ones.refine(rows, labels).gamma);
}

TEST(VBxClusteringTests, ConvergenceNeedsTwoELBOs) {
    std::mt19937 random(3);
    const auto rows = rhoRows(random, 10, 8, 3);
    Labels labels;
    for (std::size_t i = 0; i < rows.size(); ++i) labels.push_back(static_cast<std::int64_t>(i % 3));
    EXPECT_EQ(makeVBx(8, 1).refine(rows, labels).elbos.size(), 1u);
    auto config = OfflineDiarizerConfig::defaultConfig();
    config.vbx.convergenceTolerance = 1e300;  // any change is small enough
    const VBxClustering loose{config, std::vector<double>(8, 2.0)};
    EXPECT_EQ(loose.refine(rows, labels).elbos.size(), 2u);
    const auto full = makeVBx(8, 20).refine(rows, labels);
    EXPECT_GE(full.elbos.size(), 2u);
    EXPECT_LE(full.elbos.size(), 20u);
}

TEST(VBxClusteringTests, ConstraintsForceAKMeansCount) {
    platform::ScopedLogCapture capture;
    std::mt19937 random(4);
    const auto rows = rhoRows(random, 8, 6, 2, 5.0);
    Labels labels;
    for (std::size_t i = 0; i < rows.size(); ++i) labels.push_back(static_cast<std::int64_t>(i % 2));
    const auto vbx = makeVBx(6);
    const SpeakerCountConstraints threeToFour{std::nullopt, 3, 4};
    const auto forced = vbx.refineWithConstraints(rows, rows, labels, threeToFour);
    EXPECT_TRUE(forced.wasAdjusted);
    EXPECT_EQ(forced.originalClusterCount, 2);
    EXPECT_EQ(forced.numClusters, 3);
    EXPECT_EQ(forced.centroids.size(), 3u);
    EXPECT_EQ(forced.hardClusters.front().size(), rows.size());
    EXPECT_EQ(forced.gamma.size(), rows.size());
    EXPECT_TRUE(capture.contains("Speaker count 2 outside bounds [3, 4]; re-clustering to 3"));

    const auto fewer = vbx.refineWithConstraints(rows, rows, labels, SpeakerCountConstraints{1, 1, 1});
    EXPECT_EQ(fewer.numClusters, 1);
    EXPECT_EQ(fewer.hardClusters.front(), Labels(rows.size(), 0));

    const auto inside = vbx.refineWithConstraints(rows, rows, labels, SpeakerCountConstraints{std::nullopt, 2, 4});
    EXPECT_FALSE(inside.wasAdjusted);
    EXPECT_TRUE(inside.centroids.empty());
    EXPECT_FALSE(vbx.refineWithConstraints(rows, rows, labels, std::nullopt).wasAdjusted);
}

// ---- against numpy ----

const char* const numpyScript = R"PY(
import json, sys
try:
    import numpy as np
except ImportError:
    sys.exit(3)  # PythonReference::missingModules
cases = json.load(open(sys.argv[1]))
out = []
for c in cases:
    X = np.array(c["rows"]); T, D = X.shape
    labels = np.array(c["labels"]); S = len(set(c["labels"]))
    remap = {l: i for i, l in enumerate(sorted(set(c["labels"])))}
    g = np.zeros((T, S)); g[np.arange(T), [min(max(l, 0), S - 1) for l in labels]] = 1
    g = np.exp(7.0 * g - (7.0 * g).max(axis=1, keepdims=True)); g /= g.sum(axis=1, keepdims=True)
    Fa, Fb = c["fa"], c["fb"]
    phi = np.maximum(np.array(c["psi"]), 1e-12)
    rho = X * np.sqrt(phi)
    G = -0.5 * ((X ** 2).sum(axis=1) + D * np.log(2 * np.pi))
    pi = np.ones(S) / S
    elbos = []
    for i in range(c["iterations"]):
        invL = 1.0 / (1 + Fa / Fb * g.sum(axis=0)[:, None] * phi)
        alpha = Fa / Fb * invL * (g.T @ rho)
        lls = Fa * (rho @ alpha.T - 0.5 * ((invL + alpha ** 2) @ phi) + G[:, None])
        u = lls + np.log(np.maximum(pi, 1e-8))
        m = u.max(axis=1, keepdims=True)
        z = np.exp(u - m).sum(axis=1, keepdims=True)
        g = np.exp(u - m) / z
        pi = g.sum(axis=0); pi /= pi.sum()
        elbo = float((np.log(z) + m).sum() + Fb * 0.5 * (np.log(invL) - invL - alpha ** 2 + 1).sum())
        elbos.append(elbo)
        if i > 0 and abs(elbo - elbos[-2]) < c["epsilon"]:
            break
    out.append({"gamma": g.tolist(), "pi": pi.tolist(), "elbos": elbos})
json.dump(out, open(sys.argv[2], "w"))
)PY";

TEST(VBxClusteringTests, MatchesNumpyOnRandomProblems) {
    std::mt19937 random(34);
    struct Case {
        Rows rows;
        Labels labels;
        std::vector<double> psi;
        VBxClustering vbx;
    };
    std::vector<Case> cases;
    for (const auto& [speakers, dimension, spread] :
         std::vector<std::tuple<int, std::size_t, double>>{{2, 4, 3.0}, {3, 16, 0.8}, {4, 32, 0.3}, {5, 128, 0.5}}) {
        auto rows = rhoRows(random, 12, dimension, speakers, spread);
        Labels labels;
        std::uniform_int_distribution<int> flip(0, 9);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            // A few wrong warm-start labels give VBx something to fix.
            const auto truth = static_cast<std::int64_t>(i % static_cast<std::size_t>(speakers));
            labels.push_back(flip(random) == 0 ? (truth + 1) % speakers : truth);
        }
        std::uniform_real_distribution<double> psiValue(0.5, 8.0);
        std::vector<double> psi(dimension);
        for (auto& v : psi) v = psiValue(random);
        auto config = OfflineDiarizerConfig::defaultConfig();
        config.vbx.convergenceTolerance = 1e-6;
        cases.push_back({rows, labels, psi, VBxClustering{config, psi}});
    }
    testsupport::TemporaryDirectory folder;
    auto input = nlohmann::json::array();
    for (const auto& c : cases) {
        input.push_back({{"rows", c.rows}, {"labels", c.labels}, {"psi", c.psi}, {"fa", 0.07}, {"fb", 0.8},
                         {"iterations", 20}, {"epsilon", 1e-6}});
    }
    const auto reference = testsupport::PythonReference::run(folder, "vbx.py", numpyScript, input);
    using Outcome = testsupport::PythonReference::Outcome;
    REQUIRE_TEST_HOST(reference.outcome != Outcome::missing, "python3 with numpy is not installed (Debian python3-numpy)");
    ASSERT_EQ(reference.outcome, Outcome::answered) << reference.log;
    const auto& answers = reference.answers;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE("case " + std::to_string(i));
        const auto out = cases[i].vbx.refine(cases[i].rows, cases[i].labels);
        const auto& expected = answers[i];
        ASSERT_EQ(out.elbos.size(), expected["elbos"].size());
        for (std::size_t k = 0; k < out.elbos.size(); ++k) {
            const double e = expected["elbos"][k].get<double>();
            EXPECT_NEAR(out.elbos[k], e, 1e-9 * std::max(1.0, std::abs(e)));
        }
        for (std::size_t s = 0; s < out.pi.size(); ++s) EXPECT_NEAR(out.pi[s], expected["pi"][s].get<double>(), 1e-9);
        for (std::size_t t = 0; t < out.gamma.size(); ++t) {
            for (std::size_t s = 0; s < out.gamma[t].size(); ++s) {
                EXPECT_NEAR(out.gamma[t][s], expected["gamma"][t][s].get<double>(), 1e-9);
            }
        }
    }
}

} // namespace
} // namespace razeziruzer
