#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/Recognizer/SlidingWindowAsrConfig.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/Recognizer/SlidingWindowAsrError.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/Recognizer/SlidingWindowTranscriptionUpdate.hpp"

#include <gtest/gtest.h>

#include <stdexcept>

namespace razeziruzer {
namespace {

using Kind = SlidingWindowAsrErrorKind;

TEST(SlidingWindowAsrConfigTests, PresetsAndCustomRecords) {
    const auto& standard = SlidingWindowAsrConfig::default_();
    EXPECT_EQ(standard, (SlidingWindowAsrConfig{11.0, 2.0, 2.0, 2.0, 10.0, 0.85, std::nullopt}));
    EXPECT_EQ(SlidingWindowAsrConfig::streaming(), (SlidingWindowAsrConfig{11.0, 1.0, 2.0, 2.0, 10.0, 0.80, std::nullopt}));
    for (const auto* preset : {&standard, &SlidingWindowAsrConfig::streaming()}) {
        EXPECT_EQ(preset->windowSamples(), 240000);
        EXPECT_NO_THROW(preset->validate());
    }
    EXPECT_EQ(SlidingWindowAsrConfig::custom(1.0, 0.9), (SlidingWindowAsrConfig{1.0, 0.5, 2.0, 2.0, 10.0, 0.9, std::nullopt}));
    EXPECT_DOUBLE_EQ(SlidingWindowAsrConfig::custom(4.0, 0.9).hypothesisChunkSeconds, 1.0);

    TdtConfig settings;
    settings.maxSymbolsPerStep = 3;
    const auto applied = standard.applying(settings);
    EXPECT_EQ(applied.tdtConfig, settings);
    EXPECT_EQ(applied.asrConfig().tdtConfig(), settings);
    EXPECT_EQ(standard.asrConfig(), ASRConfig(16000, TdtConfig{}, 1024, 4, true, 480000, true, false));
}

TEST(SlidingWindowAsrConfigTests, EachTermIsTruncatedOnItsOwn) {
    auto config = SlidingWindowAsrConfig::default_();
    config.leftContextSeconds = 0.00001;
    EXPECT_EQ(config.leftSamples(), 0);
    config.leftContextSeconds = 0.99999;  // 15999.84 samples
    config.rightContextSeconds = 0.99999;
    EXPECT_EQ(config.windowSamples(), 15999 + 176000 + 15999);
}

TEST(SlidingWindowAsrConfigTests, AWindowBeyondFifteenSecondsIsRefused) {
    auto config = SlidingWindowAsrConfig::default_();
    config.chunkSeconds = 11.5;
    EXPECT_EQ(config.windowSamples(), 248000);
    try {
        config.validate();
        FAIL() << "no error";
    } catch (const SlidingWindowAsrError& error) {
        EXPECT_EQ(error.kind(), Kind::invalidConfiguration);
        EXPECT_EQ(error.description(),
                  "Invalid configuration: leftContextSeconds + chunkSeconds + rightContextSeconds = 15.5s (248000 "
                  "samples) exceeds the model's maximum input of 15.0s (240000 samples at 16 kHz)");
    }
    config.chunkSeconds = 12.0;
    try {
        config.validate();
        FAIL() << "no error";
    } catch (const SlidingWindowAsrError& error) {
        EXPECT_NE(error.description().find("= 16.0s (256000 samples)"), std::string::npos);
    }
    config.chunkSeconds = 11.0;
    config.leftContextSeconds = 2.0001;  // 32001 samples: one over
    EXPECT_THROW(config.validate(), SlidingWindowAsrError);
}

TEST(SlidingWindowAsrConfigTests, ErrorDescriptions) {
    const auto inner = std::make_exception_ptr(std::runtime_error("boom"));
    struct Case {
        SlidingWindowAsrError error;
        Kind kind;
        const char* text;
    };
    const Case cases[] = {
        {SlidingWindowAsrError::streamAlreadyExists(AudioSource::system), Kind::streamAlreadyExists,
         "A stream already exists for source: system"},
        {SlidingWindowAsrError::audioBufferProcessingFailed(inner), Kind::audioBufferProcessingFailed,
         "Audio buffer processing failed: boom"},
        {SlidingWindowAsrError::audioConversionFailed(inner), Kind::audioConversionFailed, "Audio conversion failed: boom"},
        {SlidingWindowAsrError::modelProcessingFailed(inner), Kind::modelProcessingFailed, "Model processing failed: boom"},
        {SlidingWindowAsrError::invalidConfiguration("x"), Kind::invalidConfiguration, "Invalid configuration: x"},
        {SlidingWindowAsrError::modelsNotLoaded(), Kind::modelsNotLoaded, "ASR models have not been loaded"},
        {SlidingWindowAsrError::bufferOverflow(), Kind::bufferOverflow, "Audio buffer overflow occurred"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(c.error.kind(), c.kind);
        EXPECT_EQ(c.error.description(), c.text);
    }
}

TEST(SlidingWindowAsrConfigTests, UpdateTokensFollowTheTimings) {
    SlidingWindowTranscriptionUpdate update{"hi there", true, 0.9f, {}, {1, 2}, {}};
    EXPECT_TRUE(update.tokens().empty());
    update.tokenTimings = {{" hi", 1, 0.0, 0.08, 0.9f}, {" there", 2, 0.08, 0.16, 0.9f}};
    EXPECT_EQ(update.tokens(), (std::vector<std::string>{" hi", " there"}));
}

} // namespace
} // namespace razeziruzer
