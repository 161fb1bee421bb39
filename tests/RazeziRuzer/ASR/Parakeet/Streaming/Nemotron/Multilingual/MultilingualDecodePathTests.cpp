// Every decode arrangement, the speculative decode and the switches that
// change how a chunk is run must give one script's tokens, timings, text and
// language alike, over short and long streams and every chunk length.

#include "tests/RazeziRuzer/ASR/Parakeet/Streaming/Nemotron/Multilingual/MultilingualStream.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>

#include <ostream>

namespace razeziruzer::multilingualkit {
namespace {

struct PathCase {
    std::string name;
    KitOptions options;
    std::map<std::string, std::string> environment;
    bool speculative = false;
};

std::vector<PathCase> pathCases() {
    std::vector<PathCase> cases{
        {"bare", withModels(true, true, false, false, false, false), {}, false},
        {"b1", withModels(false, false, true, false, false, false), {}, false},
        {"b2", withModels(false, false, false, true, false, false), {}, false},
        {"b3", withModels(false, false, false, false, true, false), {}, false},
        {"allFused", withModels(true, true, true, true, true, false), {}, false},
        {"speculativeBareDrain", withModels(true, true, false, false, false, true), {}, true},
        {"speculativeB3Drain", withModels(true, false, false, false, true, true), {}, true},
        {"speculativeB2Drain", withModels(true, false, false, true, false, true), {}, true},
        {"speculativeB1Drain", withModels(true, false, true, false, false, true), {}, true},
        {"speculativeSwitchedOff", withModels(true, true, false, false, false, true),
         {{"RAZEZIRUZER_ENABLE_SMART_SPECULATIVE", "FALSE"}}, false},
        {"noPrefetch", withModels(true, true, false, false, false, false), {{"RAZEZIRUZER_DISABLE_TRIPLE_STAGE", ""}}, false},
        {"freshTokenArrays", withModels(false, false, false, false, true, false),
         {{"RAZEZIRUZER_DISABLE_TOKEN_PREALLOC", "0"}}, false},
    };
    auto window4 = withModels(true, true, false, false, false, true);
    window4.batchWindow = 4;
    cases.push_back({"speculativeWindow4", window4, {}, true});
    auto halfB3 = withModels(true, false, false, false, true, true);
    halfB3.halfPrecisionOutputs = true;
    cases.push_back({"halfPrecisionSpeculativeB3", halfB3, {}, true});
    auto halfBare = withModels(true, true, false, false, false, false);
    halfBare.halfPrecisionOutputs = true;
    cases.push_back({"halfPrecisionBare", halfBare, {}, false});
    auto stateful = withModels(false, false, true, false, false, false);
    stateful.statefulEncoder = true;
    cases.push_back({"statefulEncoderB1", stateful, {}, false});
    return cases;
}

struct EquivalenceCase {
    PathCase path;
    int seconds = 1;
    int chunkMelFrames = 56;
};

void PrintTo(const EquivalenceCase& value, std::ostream* stream) {
    *stream << value.path.name << " " << value.seconds << "s " << value.chunkMelFrames * 10 << "ms";
}

class MultilingualDecodeEquivalence : public ::testing::TestWithParam<EquivalenceCase> {};

TEST_P(MultilingualDecodeEquivalence, GivesTheScriptsTokensAndTimings) {
    const auto& param = GetParam();
    testsupport::TemporaryDirectory folder;
    auto options = param.path.options;
    options.chunkMelFrames = param.chunkMelFrames;
    ScriptedMultilingualKit kit(folder.path(), options);
    const std::int64_t samples = 16000LL * param.seconds;
    const auto chunks = (samples + kit.chunkSamples() - 1) / kit.chunkSamples();
    const auto script = mixedScript(chunks * kit.framesPerChunk());
    kit.setScript(script);

    StreamingNemotronMultilingualAsrManager manager(std::nullopt, testDependencies(param.path.environment));
    manager.loadModels(kit.folder());
    const auto outcome = runStream(manager, samples, 5003);
    const auto expected = expectedOutcome(script, chunks);

    EXPECT_EQ(outcome.text, expected.text);
    EXPECT_EQ(outcome.timings, expected.timings);
    EXPECT_EQ(outcome.tokenCount, expected.tokenCount);
    EXPECT_EQ(outcome.language, expected.language);
    EXPECT_EQ(outcome.processedChunks, expected.processedChunks);
    EXPECT_EQ(manager.absoluteFrameBase(), chunks * kit.framesPerChunk());
    const auto counters = manager.counters();
    if (param.path.speculative) {
        EXPECT_GT(counters.specWindowsAllBlank, 0);
        EXPECT_GT(counters.specWindowsHitNonBlank, 0);
        EXPECT_EQ(counters.specWindowsTotal, counters.specWindowsAllBlank + counters.specWindowsHitNonBlank);
    } else {
        EXPECT_EQ(counters.specWindowsTotal, 0);
    }
}

std::vector<EquivalenceCase> equivalenceCases() {
    std::vector<EquivalenceCase> cases;
    for (const auto& path : pathCases()) {
        for (const int seconds : {1, 10, 60}) {
            for (const int chunk : {16, 56, 112}) cases.push_back({path, seconds, chunk});
        }
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(AllPaths, MultilingualDecodeEquivalence, ::testing::ValuesIn(equivalenceCases()),
                         [](const auto& info) {
                             return info.param.path.name + "_" + std::to_string(info.param.seconds) + "s_" +
                                    std::to_string(info.param.chunkMelFrames * 10) + "ms";
                         });

} // namespace
} // namespace razeziruzer::multilingualkit
