// Recordings of every length through the Parakeet recogniser over coded
// program bundles run by the model runtime (see CodedBundles.hpp): whatever
// the chunking, each coded frame's token comes out exactly once, in order,
// also when the last one sits on the recording's last frame, just inside the
// last chunk, or alone after a long silence.

#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/AsrManager.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/AsrModels.hpp"
#include "RazeziRuzer/DownloadUtils.hpp"
#include "tests/Support/ParakeetBundles/CodedBundles.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace razeziruzer {
namespace {

using testsupport::parakeet::codedFrameAudio;
using testsupport::parakeet::codedTranscript;

constexpr std::int64_t frameSamples = testsupport::parakeet::codedFrameSamples;

// 12.5 frames a second.
int framesIn(int seconds) { return seconds * 25 / 2; }

// Speech-like frames: two tokens and a silent frame, over and over.
int spokenAt(int frame) { return frame % 3 == 2 ? -1 : (frame * 7) % testsupport::parakeet::codedVocabularySize; }

std::vector<int> tokensOf(const std::vector<int>& frames) {
    std::vector<int> tokens;
    for (const int token : frames) {
        if (token >= 0) tokens.push_back(token);
    }
    return tokens;
}

// The first frame of the chunk that reaches the end of the recording, under
// the default configuration (238,080-sample chunks every 206,080 samples).
int lastChunkFrame(int frames) {
    constexpr std::int64_t chunk = 238080, stride = 206080;
    std::int64_t start = 0;
    while (start + chunk < frames * frameSamples) start += stride;
    return static_cast<int>(start / frameSamples);
}

class CodedBundleLongAudio : public ::testing::Test {
protected:
    CodedBundleLongAudio() {
        DownloadUtils::enforceOffline = true;
        testsupport::parakeet::writeCodedModelSet(repository);
    }
    ~CodedBundleLongAudio() override { DownloadUtils::enforceOffline = false; }

    ASRResult transcribe(const std::vector<int>& frames, const ASRConfig& config, const AsrModels& models) const {
        AsrManager manager(config, models);
        auto state = TdtDecoderState::make(manager.decoderLayerCount());
        const auto audio = codedFrameAudio(frames);
        return manager.transcribe(std::span<const float>(audio), state);
    }

    testsupport::TemporaryDirectory folder;
    const std::filesystem::path repository = folder / "models" / "parakeet-tdt-0.6b-v3";
};

TEST_F(CodedBundleLongAudio, EveryCodedTokenComesOutOnceWhereverTheLastOneFalls) {
    struct Case {
        std::string name;
        std::vector<int> frames;
    };
    std::vector<Case> cases;
    for (const int seconds : {2, 15, 60, 180}) {
        const int count = seconds == 15 ? 187 : framesIn(seconds); // 15 s: the longest whole-frame single window
        const auto label = std::to_string(seconds) + " s, ";
        std::vector<int> speech(static_cast<std::size_t>(count));
        for (int f = 0; f < count; ++f) speech[static_cast<std::size_t>(f)] = spokenAt(f);
        auto onLastFrame = speech;
        onLastFrame.back() = 5;
        onLastFrame[onLastFrame.size() - 2] = 6;
        cases.push_back({label + "last token on the last frame", onLastFrame});
        auto alone = std::vector<int>(static_cast<std::size_t>(count), -1);
        for (int f = 0; f < count / 2; ++f) alone[static_cast<std::size_t>(f)] = spokenAt(f);
        alone.back() = 9;
        cases.push_back({label + "last token alone after silence", alone});
        if (seconds < 60) continue;
        const int boundary = lastChunkFrame(count);
        for (const int offset : {-1, 0, 2}) {
            auto nearBoundary = std::vector<int>(static_cast<std::size_t>(count), -1);
            for (int f = 0; f <= boundary + offset; ++f) nearBoundary[static_cast<std::size_t>(f)] = spokenAt(f);
            nearBoundary[static_cast<std::size_t>(boundary + offset)] = 11;
            cases.push_back({label + "last token at the last chunk's start " + std::to_string(offset), nearBoundary});
        }
    }
    const auto models =
        AsrModels::load(repository, std::nullopt, AsrModelVersion::v3, ParakeetEncoderPrecision::int8);
    const ASRConfig silenceAligned(16000, TdtConfig::default_(), 1024, 4, true, 480000, false, false);
    for (const auto& config : {ASRConfig::default_(), silenceAligned}) {
        for (const auto& c : cases) {
            // Chunks without mel context are checked where the flush matters: the last frame.
            if (!config.melChunkContext() && c.name.find("last frame") == std::string::npos) continue;
            SCOPED_TRACE(c.name + (config.melChunkContext() ? ", mel context" : ", silence-aligned chunks"));
            const auto result = transcribe(c.frames, config, models);
            const auto expected = tokensOf(c.frames);
            EXPECT_EQ(result.text, codedTranscript(expected));
            ASSERT_TRUE(result.tokenTimings);
            // Each token at its own frame's time in every chunk (timings start
            // one frame early for the decoder's emission delay).
            std::vector<double> starts, expectedStarts;
            for (const auto& timing : *result.tokenTimings) starts.push_back(std::round(timing.startTime / 0.08));
            for (std::size_t f = 0; f < c.frames.size(); ++f) {
                if (c.frames[f] >= 0) expectedStarts.push_back(std::max(static_cast<double>(f) - 1, 0.0));
            }
            EXPECT_EQ(starts, expectedStarts);
        }
    }
}

} // namespace
} // namespace razeziruzer
