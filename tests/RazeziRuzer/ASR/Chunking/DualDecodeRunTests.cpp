#include "tests/RazeziRuzer/ASR/Chunking/ChunkedRunFixture.hpp"

#include "Platform/Core/Logger.hpp"

#include <gtest/gtest.h>

namespace razeziruzer {
namespace {

using chunktest::ChunkedRun;
using chunktest::configWith;
using chunktest::codedFrames;
using chunktest::spokenTokens;

std::vector<std::string> probeLines(const platform::ScopedLogCapture& log) {
    std::vector<std::string> lines;
    for (const auto& record : const_cast<platform::ScopedLogCapture&>(log).sink().records()) {
        if (record.message.starts_with("[dual-decode probe]")) {
            EXPECT_EQ(record.level, platform::LogLevel::debug);
            EXPECT_EQ(record.category, "ChunkProcessor");
            lines.push_back(record.message);
        }
    }
    return lines;
}

TEST(DualDecodeRunTest, ProbesChoosesAndKeepsTheEndOfTheRecording) {
    // Two chunks. Chunking A moves chunk 1 to the quiet frame 112, so its
    // chunk ends at frame 299, 24 frames before the end of the recording.
    auto frames = codedFrames(323);
    frames[111] = frames[112] = -1;
    frames[113] = 43;
    platform::ScopedLogCapture log;
    ChunkedRun run(configWith(4, false, true));
    std::vector<double> reports;
    const auto result = run.transcribe(frames, [&](double fraction) { reports.push_back(fraction); });

    EXPECT_EQ(result.text, chunktest::ScriptedParakeet::expectedText(spokenTokens(frames)));
    const auto lines = probeLines(log);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(lines[0].starts_with("[dual-decode probe] A=(n=124, conf=0.9")) << lines[0];
    EXPECT_TRUE(lines[0].ends_with(" -> A")) << lines[0];
    EXPECT_EQ(reports, (std::vector<double>{0.5, 1.0}));
}

TEST(DualDecodeRunTest, OneChunkNeedsNoProbe) {
    platform::ScopedLogCapture log;
    ChunkedRun run(configWith(4, false, true));
    const auto frames = codedFrames(150);
    std::vector<double> reports;
    const auto result = run.transcribe(frames, [&](double fraction) { reports.push_back(fraction); });

    EXPECT_EQ(result.text, chunktest::ScriptedParakeet::expectedText(spokenTokens(frames)));
    EXPECT_EQ(run.scripted.counters()->preprocessor, 1);
    EXPECT_EQ(reports, (std::vector<double>{1.0}));
    EXPECT_EQ(probeLines(log), (std::vector<std::string>{
                                   "[dual-decode probe] A=(n=0, conf=-inf) B=(n=0, conf=-inf) C=(n=0, conf=-inf) "
                                   "B/A=1.0 C/A=1.0 C-agree=1.0 -> A"}));
}

TEST(DualDecodeRunTest, OnlyVersion3WithoutMelContextTakesTheDualRoad) {
    struct Case {
        const char* name;
        bool mel;
        AsrModelVersion version;
        bool dualRoad;
    };
    const Case cases[] = {
        {"v3 without mel context", false, AsrModelVersion::v3, true},
        {"mel context on", true, AsrModelVersion::v3, false},
        {"version 2", false, AsrModelVersion::v2, false},
    };
    for (const auto& c : cases) {
        platform::ScopedLogCapture log;
        scriptedparakeet::Options options;
        options.version = c.version;
        ChunkedRun run(configWith(2, c.mel, true), options);
        const auto frames = codedFrames(300);
        EXPECT_EQ(run.transcribe(frames).text, chunktest::ScriptedParakeet::expectedText(spokenTokens(frames))) << c.name;
        EXPECT_EQ(probeLines(log).size(), c.dualRoad ? 1u : 0u) << c.name;
    }
}

} // namespace
} // namespace razeziruzer
