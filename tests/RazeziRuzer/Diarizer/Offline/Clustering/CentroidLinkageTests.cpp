// The native centroid-linkage entry: its argument checks, worked dendrograms,
// and the merges of random embeddings against scipy's linkage(method="centroid").
#include "RazeziRuzer/Diarizer/Offline/Clustering/FastCluster/FastClusterWrapper.h"

#include "tests/Support/PythonReference.hpp"
#include "tests/Support/TemporaryDirectory.hpp"
#include "tests/Support/TestHost.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <filesystem>
#include <limits>
#include <map>
#include <random>
#include <set>

namespace razeziruzer {
namespace {

using Rows = std::vector<double>;

Rows linkageOf(const std::vector<double>& points, std::size_t n, std::size_t d) {
    Rows out(4 * (n - 1), -7.0);
    EXPECT_EQ(fastcluster_compute_centroid_linkage(points.data(), n, d, out.data(), out.size()), 0u);
    return out;
}

TEST(CentroidLinkageTests, ArgumentChecksInOrder) {
    const std::vector<double> points{0, 1, 3};
    std::vector<double> out(8, -7.0);
    EXPECT_EQ(fastcluster_compute_centroid_linkage(nullptr, 3, 1, out.data(), 8), 1u);
    EXPECT_EQ(fastcluster_compute_centroid_linkage(points.data(), 3, 1, nullptr, 8), 1u);
    EXPECT_EQ(fastcluster_compute_centroid_linkage(points.data(), 0, 0, out.data(), 0), 0u);
    EXPECT_EQ(fastcluster_compute_centroid_linkage(points.data(), 1, 1, out.data(), 0), 0u);
    EXPECT_EQ(fastcluster_compute_centroid_linkage(points.data(), 3, 0, out.data(), 8), 1u);
    EXPECT_EQ(fastcluster_compute_centroid_linkage(points.data(), std::size_t{1} << 31, 1, out.data(), 8), 2u);
    EXPECT_EQ(fastcluster_compute_centroid_linkage(points.data(), 3, std::size_t{1} << 31, out.data(), 8), 2u);
    EXPECT_EQ(fastcluster_compute_centroid_linkage(points.data(), 3, 1, out.data(), 7), 3u);
    EXPECT_EQ(out, std::vector<double>(8, -7.0));
}

TEST(CentroidLinkageTests, WorkedDendrograms) {
    EXPECT_EQ(linkageOf({0, 0, 3, 4}, 2, 2), (Rows{0, 1, 5, 2}));
    // Points at 0, 1 and 3: 0 and 1 join at 1, their centroid 0.5 meets 3 at 2.5.
    EXPECT_EQ(linkageOf({0, 1, 3}, 3, 1), (Rows{0, 1, 1, 2, 2, 3, 2.5, 3}));
    // Input order does not matter to the merges, only to the ids.
    EXPECT_EQ(linkageOf({3, 1, 0}, 3, 1), (Rows{1, 2, 1, 2, 0, 3, 2.5, 3}));
}

TEST(CentroidLinkageTests, CentroidHeightsMayDecrease) {
    // An equilateral triangle: after two corners join, their midpoint is
    // closer to the third corner than the corners were to each other.
    const double h = std::sqrt(3.0) / 2;
    const auto rows = linkageOf({0, 0, 1, 0, 0.5, h}, 3, 2);
    EXPECT_DOUBLE_EQ(rows[2], 1.0);
    EXPECT_NEAR(rows[6], h, 1e-12);
    EXPECT_LT(rows[6], rows[2]);
    EXPECT_EQ(rows[7], 3.0);
}

TEST(CentroidLinkageTests, EqualDistancesKeepTheSmallerIds) {
    // Four points on a line, spaced 1 apart: the heap sees the bound 1 for
    // ids 1, 2 and 3 and takes id 1 first, pairing it with 0.
    const auto rows = linkageOf({0, 1, 2, 3}, 4, 1);
    EXPECT_EQ(rows[0], 0);
    EXPECT_EQ(rows[1], 1);
    EXPECT_EQ(rows[4], 2);
    EXPECT_EQ(rows[5], 3);
    EXPECT_EQ((Rows{rows[8], rows[9], rows[10], rows[11]}), (Rows{4, 5, 2, 4}));
}

TEST(CentroidLinkageTests, ANewClusterTakesTheSmallerOfTwoEquidistantNeighbours) {
    // 0 and 1 join first; their centroid 0.5 is 5 from both -4.5 (id 2) and 5.5 (id 3).
    const auto rows = linkageOf({0, 1, -4.5, 5.5}, 4, 1);
    EXPECT_EQ((Rows{rows[4], rows[5], rows[6], rows[7]}), (Rows{2, 4, 5, 3}));
}

TEST(CentroidLinkageTests, TheHeapPrefersTheLeftChildOnEqualKeys) {
    // Ids 2 and 3 both have bound 1 below id 1's; heapify lifts id 2 (the left child).
    const auto rows = linkageOf({0, 100, 1, 101}, 4, 1);
    EXPECT_EQ((Rows{rows[0], rows[1], rows[2], rows[3]}), (Rows{0, 2, 1, 2}));
}

TEST(CentroidLinkageTests, NaNStopsWithoutTouchingTheOutput) {
    const std::vector<double> points{0, 1, std::numeric_limits<double>::quiet_NaN(), 3};
    std::vector<double> out(12, -7.0);
    EXPECT_EQ(fastcluster_compute_centroid_linkage(points.data(), 4, 1, out.data(), out.size()), 5u);
    EXPECT_EQ(out, std::vector<double>(12, -7.0));
}

// ---- against scipy ----

const char* const scipyScript = R"PY(
import json, sys
try:
    import numpy as np
    from scipy.cluster.hierarchy import linkage
except ImportError:
    sys.exit(3)  # PythonReference::missingModules
cases = json.load(open(sys.argv[1]))
out = []
for case in cases:
    x = np.array(case["points"], dtype=np.float64).reshape(case["n"], case["d"])
    out.append(linkage(x, method="centroid").tolist())
json.dump(out, open(sys.argv[2], "w"))
)PY";

// Each merge as the set of points it joins, with its height: the same in
// both tools whatever the row order or the ids of inner nodes.
std::map<std::set<int>, double> mergesByMembers(const std::vector<double>& rows, std::size_t n) {
    std::vector<std::set<int>> members(2 * n - 1);
    for (std::size_t i = 0; i < n; ++i) members[i] = {static_cast<int>(i)};
    std::map<std::set<int>, double> merges;
    for (std::size_t r = 0; r + 1 < n; ++r) {
        auto joined = members[static_cast<std::size_t>(rows[4 * r])];
        const auto& other = members[static_cast<std::size_t>(rows[4 * r + 1])];
        joined.insert(other.begin(), other.end());
        EXPECT_EQ(joined.size(), static_cast<std::size_t>(rows[4 * r + 3]));
        members[n + r] = joined;
        merges[joined] = rows[4 * r + 2];
    }
    return merges;
}

// Unit vectors around a few speaker directions, as the pipeline feeds them.
std::vector<double> speakerEmbeddings(std::mt19937& random, std::size_t n, std::size_t d, int speakers) {
    std::normal_distribution<double> normal;
    std::vector<std::vector<double>> centres(static_cast<std::size_t>(speakers), std::vector<double>(d));
    for (auto& c : centres) {
        for (auto& v : c) v = normal(random);
    }
    std::vector<double> points;
    for (std::size_t i = 0; i < n; ++i) {
        const auto& c = centres[i % centres.size()];
        std::vector<double> row(d);
        double norm = 0;
        for (std::size_t k = 0; k < d; ++k) {
            row[k] = c[k] + 0.6 * normal(random);
            norm += row[k] * row[k];
        }
        for (auto v : row) points.push_back(v / std::sqrt(norm));
    }
    return points;
}

TEST(CentroidLinkageTests, MatchesScipyOnRandomEmbeddings) {
    std::mt19937 random(34);
    struct Case {
        std::size_t n, d;
        std::vector<double> points;
    };
    std::vector<Case> cases;
    for (const auto& [n, d, speakers] : std::vector<std::tuple<std::size_t, std::size_t, int>>{
             {2, 3, 1}, {5, 2, 2}, {40, 16, 3}, {120, 64, 5}, {300, 256, 8}, {200, 8, 1}}) {
        cases.push_back({n, d, speakerEmbeddings(random, n, d, speakers)});
    }
    testsupport::TemporaryDirectory folder;
    auto input = nlohmann::json::array();
    for (const auto& c : cases) input.push_back({{"n", c.n}, {"d", c.d}, {"points", c.points}});
    const auto reference = testsupport::PythonReference::run(folder, "linkage.py", scipyScript, input);
    using Outcome = testsupport::PythonReference::Outcome;
    REQUIRE_TEST_HOST(reference.outcome != Outcome::missing,
                      "python3 with numpy and scipy is not installed (Debian python3-scipy)");
    ASSERT_EQ(reference.outcome, Outcome::answered) << reference.log;

    const auto& answers = reference.answers;
    ASSERT_EQ(answers.size(), cases.size());
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE("case n=" + std::to_string(cases[i].n) + " d=" + std::to_string(cases[i].d));
        const auto ours = mergesByMembers(linkageOf(cases[i].points, cases[i].n, cases[i].d), cases[i].n);
        std::vector<double> theirsRows;
        for (const auto& row : answers[i]) {
            for (const auto& v : row) theirsRows.push_back(v.get<double>());
        }
        const auto theirs = mergesByMembers(theirsRows, cases[i].n);
        ASSERT_EQ(ours.size(), theirs.size());
        for (const auto& [members, height] : theirs) {
            const auto found = ours.find(members);
            ASSERT_NE(found, ours.end()) << "scipy merges a group we never form, of " << members.size();
            EXPECT_NEAR(found->second, height, 1e-9);
        }
    }
}

} // namespace
} // namespace razeziruzer
