// The error rate against an independent computation: the same frame grid,
// but the speaker mapping from scipy's linear_sum_assignment and the scoring
// written separately with numpy, over seeded random diarizations.
#include "RazeziRuzer/Diarizer/DiarizationDER.hpp"

#include "tests/Support/PythonReference.hpp"
#include "tests/Support/TemporaryDirectory.hpp"
#include "tests/Support/TestHost.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <random>

namespace razeziruzer {
namespace {

using Segments = std::vector<DERSpeakerSegment>;

const char* const referenceScript = R"PY(
import json, math, sys
try:
    import numpy as np
    from scipy.optimize import linear_sum_assignment
except ImportError:
    sys.exit(3)  # PythonReference::missingModules

cases = json.load(open(sys.argv[1]))
answers = []
for case in cases:
    step = case["frameStep"]
    segs = case["ref"] + case["hyp"]
    max_end = max([0.0] + [s[2] for s in segs])
    frames = int(math.ceil(max_end / step)) + 1
    def grid(segments):
        labels = sorted({s[0] for s in segments})
        g = np.zeros((frames, max(len(labels), 1)), dtype=bool)
        for label, start, end in segments:
            if start < end:
                a = max(0, int(math.ceil(start / step - 0.5)))
                b = min(frames, int(math.ceil(end / step - 0.5)))
                g[a:b, labels.index(label)] = True
        return g[:, :len(labels)]
    ref = grid(case["ref"])
    hyp = grid(case["hyp"])
    overlap = hyp.T.astype(np.int64) @ ref.astype(np.int64)
    rows, cols = linear_sum_assignment(overlap, maximize=True)
    correct = sum(int(overlap[r, c]) for r, c in zip(rows, cols))
    r = ref.sum(axis=1).astype(np.int64)
    h = hyp.sum(axis=1).astype(np.int64)
    miss = int(np.maximum(r - h, 0).sum())
    fa = int(np.maximum(h - r, 0).sum())
    conf = int(np.minimum(r, h).sum()) - correct
    total = int(r.sum())
    answers.append({"miss": miss * step, "falseAlarm": fa * step, "confusion": conf * step,
                    "total": total * step})
json.dump(answers, open(sys.argv[2], "w"))
)PY";

// Speakers talk in turns with random lengths, pauses and some overlap.
Segments randomDiarization(std::mt19937& random, const std::string& prefix, int speakers, double length) {
    std::uniform_int_distribution<int> who(0, speakers - 1);
    std::uniform_real_distribution<double> turn(0.2, 4.0);
    std::uniform_real_distribution<double> gap(-0.8, 1.5);
    Segments segments;
    double time = 0;
    while (time < length) {
        const double start = std::max(0.0, time);
        const double end = start + turn(random);
        segments.push_back({prefix + std::to_string(who(random)), start, end});
        time = end + gap(random);
    }
    return segments;
}

nlohmann::json asJSON(const Segments& segments) {
    auto json = nlohmann::json::array();
    for (const auto& s : segments) json.push_back({s.speaker, s.start, s.end});
    return json;
}

TEST(DiarizationDERReferenceTests, MatchesAnIndependentAssignment) {
    std::mt19937 random(20261211);
    struct Generated {
        Segments ref, hyp;
        double frameStep;
    };
    std::vector<Generated> cases;
    const std::vector<std::pair<int, int>> speakerCounts{{2, 2}, {3, 2}, {2, 4}, {4, 4}, {5, 3}, {1, 3}, {6, 6}};
    for (int round = 0; round < 4; ++round) {
        for (const auto& [refSpeakers, hypSpeakers] : speakerCounts) {
            const double frameStep = round % 2 == 0 ? 0.01 : 0.25;
            cases.push_back({randomDiarization(random, "spk", refSpeakers, 60),
                             randomDiarization(random, "S", hypSpeakers, 55), frameStep});
        }
    }
    testsupport::TemporaryDirectory folder;
    auto input = nlohmann::json::array();
    for (const auto& c : cases) input.push_back({{"ref", asJSON(c.ref)}, {"hyp", asJSON(c.hyp)}, {"frameStep", c.frameStep}});
    const auto reference = testsupport::PythonReference::run(folder, "reference.py", referenceScript, input);
    using Outcome = testsupport::PythonReference::Outcome;
    REQUIRE_TEST_HOST(reference.outcome != Outcome::missing,
                      "python3 with numpy and scipy is not installed (Debian python3-scipy)");
    ASSERT_EQ(reference.outcome, Outcome::answered) << reference.log;

    const auto& answers = reference.answers;
    ASSERT_EQ(answers.size(), cases.size());
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE("case " + std::to_string(i));
        const auto result = DiarizationDER::compute(cases[i].ref, cases[i].hyp, cases[i].frameStep, 0.0);
        const auto& expected = answers[i];
        const double tolerance = cases[i].frameStep * 1e-6;
        EXPECT_NEAR(result.miss, expected["miss"].get<double>(), tolerance);
        EXPECT_NEAR(result.falseAlarm, expected["falseAlarm"].get<double>(), tolerance);
        EXPECT_NEAR(result.confusion, expected["confusion"].get<double>(), tolerance);
        EXPECT_NEAR(result.totalRefSpeech, expected["total"].get<double>(), tolerance);
        const double total = expected["total"].get<double>();
        const double der = (expected["falseAlarm"].get<double>() + expected["miss"].get<double>() +
                            expected["confusion"].get<double>()) / total;
        EXPECT_NEAR(result.der, der, 1e-9);
    }
}

} // namespace
} // namespace razeziruzer
