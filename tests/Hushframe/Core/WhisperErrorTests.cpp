#include "Hushframe/Core/LogCategories.hpp"
#include "Hushframe/Core/WhisperError.hpp"
#include "tests/Hushframe/Core/PackageLogCapture.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace hushframe {
namespace {

using ::testing::ElementsAre;

TEST(WhisperErrorTests, EqualityNeedsTheSameCaseAndExactlyTheSameMessage) {
    EXPECT_EQ(WhisperError::decodingFailed("Decoding failed"), WhisperError::decodingFailed("Decoding failed"));
    EXPECT_NE(WhisperError::decodingFailed("Decoding failed"), WhisperError::transcriptionFailed("Decoding failed"));
    EXPECT_NE(WhisperError::decodingFailed("Decoding failed"), WhisperError::decodingFailed("decoding failed"));
    EXPECT_NE(WhisperError::decodingFailed("Decoding failed"), WhisperError::decodingFailed("Decoding failed "));
}

TEST(WhisperErrorTests, DescriptionIsTheMessageAloneWhateverTheCase) {
    const std::vector<WhisperError> errors = {
        WhisperError::tokenizerUnavailable("Tokenizer is unavailable"),
        WhisperError::modelsUnavailable("Model folder is not set."),
        WhisperError::audioProcessingFailed("startIndex is outside the buffer size"),
        WhisperError::loadAudioFailed("Resource path does not exist /tmp/a.wav"),
        WhisperError::microphoneUnavailable(""),
    };
    testing::PackageLogCapture log;
    for (const auto& error : errors) {
        EXPECT_EQ(error.errorDescription(), error.message());
        EXPECT_EQ(error.description(), error.message());
    }
    EXPECT_EQ(errors[0].kind(), WhisperErrorKind::tokenizerUnavailable);
    EXPECT_EQ(errors[1].kind(), WhisperErrorKind::modelsUnavailable);
}

TEST(WhisperErrorTests, EveryReadOfTheDescriptionLogsAtErrorLevel) {
    const auto error = WhisperError::decodingFailed("Language detection failed");
    {
        testing::PackageLogCapture log(pelluxcore::Logging::LogLevel::error);
        error.errorDescription();
        error.errorDescription();
        EXPECT_THAT(log.messages(), ElementsAre("Language detection failed", "Language detection failed"));
    }
    testing::PackageLogCapture silent(pelluxcore::Logging::LogLevel::none);
    EXPECT_EQ(error.errorDescription(), "Language detection failed");
    EXPECT_TRUE(silent.messages().empty());
}

TEST(LogCategoriesTests, ThreeTracingChannelsShareThePipelineSubsystem) {
    EXPECT_EQ(Logging::AudioEncoding::logger().subsystem(), "zar.pellux.hushframe");
    EXPECT_EQ(Logging::AudioEncoding::logger().category(), "AudioEncoding");
    EXPECT_EQ(Logging::FeatureExtractor::logger().category(), "FeatureExtractor");
    EXPECT_EQ(Logging::TranscribeTask::logger().category(), "TranscribeTask");
    EXPECT_EQ(Logging::TranscribeTask::logger().subsystem(), Logging::FeatureExtractor::logger().subsystem());
    EXPECT_EQ(&Logging::TranscribeTask::signposter().logger(), &Logging::TranscribeTask::logger());
    EXPECT_NE(Logging::TranscribeTask::logger().category(), pelluxcore::Logging::category);
}

TEST(LogCategoriesTests, DisabledSignpostsStillGiveIntervalsAndEmitNothing) {
    platform::ScopedLogCapture capture;
    auto& signposter = Logging::TranscribeTask::signposter();
    EXPECT_FALSE(signposter.isEnabled());
    const auto first = Logging::beginSignpost("TranscribeAudio", signposter);
    const auto second = Logging::beginSignpost("Decode", signposter);
    EXPECT_NE(first.signpostID(), second.signpostID());
    Logging::endSignpost("Decode", second, signposter);
    Logging::endSignpost("TranscribeAudio", first, signposter);
    Logging::endSignpost("TranscribeAudio", first, signposter);
    EXPECT_TRUE(capture.sink().records().empty());
}

} // namespace
} // namespace hushframe
