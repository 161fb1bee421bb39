#include "OstrelVirorez/Model/DictationMode.hpp"
#include "OstrelVirorez/Model/DictationState.hpp"
#include "OstrelVirorez/Model/VirorezError.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <unordered_set>

namespace {

using namespace ostrelvirorez;

TEST(DictationMode, BuildsOnlyFromTheExactRawValues) {
    EXPECT_EQ(fromRawValue<DictationMode>("raw"), DictationMode::raw);
    EXPECT_EQ(fromRawValue<DictationMode>("claude"), DictationMode::claude);
    EXPECT_EQ(fromRawValue<DictationMode>("clipboardRewrite"), DictationMode::clipboardRewrite);
    for (const char* other : {"Raw", "Claude", "ClipboardRewrite", "clipboardrewrite", "", " raw"}) {
        EXPECT_FALSE(fromRawValue<DictationMode>(other).has_value()) << other;
    }
}

TEST(DictationMode, EncodesAsABareStringAndRejectsOtherStrings) {
    EXPECT_EQ(nlohmann::json(DictationMode::clipboardRewrite).dump(), "\"clipboardRewrite\"");
    EXPECT_EQ(nlohmann::json::parse("\"claude\"").get<DictationMode>(), DictationMode::claude);
    EXPECT_THROW(nlohmann::json::parse("\"Claude\"").get<DictationMode>(), nlohmann::json::exception);
    EXPECT_THROW(nlohmann::json::parse(R"({"raw":{}})").get<DictationMode>(), nlohmann::json::exception);
}

TEST(DictationState, EqualWhenSameCaseAndSameCarriedValue) {
    EXPECT_EQ(DictationState(), DictationState::idle());
    EXPECT_NE(DictationState::recording(DictationMode::raw), DictationState::recording(DictationMode::claude));
    EXPECT_NE(DictationState::transcribing(DictationMode::raw), DictationState::recording(DictationMode::raw));
    EXPECT_EQ(DictationState::error("Mic busy"), DictationState::error("Mic busy"));
    EXPECT_NE(DictationState::error("Mic busy"), DictationState::error("No speech detected"));
    EXPECT_NE(DictationState::rewriting(), DictationState::rewritingClipboard());
    EXPECT_NE(DictationState::error(""), DictationState::idle());
}

TEST(DictationState, OnlyRecordingAndTranscribingCarryAModeAndOnlyErrorAMessage) {
    EXPECT_EQ(DictationState::recording(DictationMode::claude).mode(), DictationMode::claude);
    EXPECT_EQ(DictationState::transcribing(DictationMode::raw).mode(), DictationMode::raw);
    EXPECT_FALSE(DictationState::rewriting().mode().has_value());
    EXPECT_EQ(DictationState::error("boom").message(), "boom");
    EXPECT_FALSE(DictationState::done().message().has_value());
}

TEST(VirorezError, DescriptionsAreTheUserVisibleTexts) {
    EXPECT_EQ(VirorezError::noAudioData().description(), "No audio data recorded");
    EXPECT_EQ(VirorezError::emptyTranscription().description(), "No speech detected");
    // An em dash with a space on each side, not a hyphen.
    EXPECT_EQ(VirorezError::clipboardEmpty().description(), "Clipboard empty \xE2\x80\x94 copy text first");
}

TEST(VirorezError, IsThrowableAsAPlatformErrorAndHashesByCase) {
    try {
        throw VirorezError::clipboardEmpty();
    } catch (const platform::Error& error) {
        EXPECT_EQ(error.description(), VirorezError::clipboardEmpty().description());
    }
    const std::unordered_set<VirorezError> errors{VirorezError::noAudioData(), VirorezError::noAudioData(),
                                                  VirorezError::emptyTranscription()};
    EXPECT_EQ(errors.size(), 2u);
    EXPECT_EQ(VirorezError::noAudioData(), VirorezError(VirorezErrorKind::noAudioData));
}

} // namespace
