#include "tests/RazeziRuzer/Diarizer/ScriptedDiarizer/ScriptedDiarizer.hpp"

#include "Platform/CoreML/MLDictionaryFeatureProvider.hpp"

#include <gtest/gtest.h>

namespace razeziruzer::diarizertest {
namespace {

using platform::coreml::MLFeatureValue;
using platform::coreml::MLMultiArray;
using platform::coreml::MLMultiArrayDataType;

TEST(ScriptedDiarizerTests, SegmentationGivesSlotsInOrderOfAppearance) {
    ScriptedDiarizer scripted;
    auto audio = codedAudio({0, 5, 5, 2, 0});
    MLMultiArray input({1, 1, 160000}, MLMultiArrayDataType::float32);
    for (std::size_t i = 0; i < audio.size(); ++i) input[static_cast<std::int64_t>(i)] = audio[i];
    const auto output = scripted.segmentationModel().prediction(
        platform::coreml::MLDictionaryFeatureProvider({{"audio", MLFeatureValue(input)}}));
    const auto scores = *output.featureValue("segments")->multiArrayValue();
    EXPECT_EQ((scores[{0, 0, 0}].floatValue()), 1.0f);
    EXPECT_EQ((scores[{0, 1, 1}].floatValue()), 1.0f);
    EXPECT_EQ((scores[{0, 3, 2}].floatValue()), 1.0f);
    EXPECT_EQ((scores[{0, 4, 0}].floatValue()), 1.0f);
}

} // namespace
} // namespace razeziruzer::diarizertest
