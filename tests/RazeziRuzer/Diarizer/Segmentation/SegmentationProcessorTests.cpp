#include "RazeziRuzer/Diarizer/Segmentation/SegmentationProcessor.hpp"

#include "Platform/CoreML/ScriptedModelBackend.hpp"
#include "RazeziRuzer/Diarizer/Core/DiarizerError.hpp"

#include <gtest/gtest.h>

namespace razeziruzer {
namespace {

using platform::coreml::MLFeatureDescription;
using platform::coreml::MLFeatureValue;
using platform::coreml::MLModelDescription;
using platform::coreml::MLMultiArray;
using platform::coreml::MLMultiArrayDataType;
using platform::coreml::ScriptedModelBackend;

// A segmentation model answering fixed scores, recording what it was fed.
std::shared_ptr<ScriptedModelBackend> fixedScores(const std::vector<std::vector<float>>& frames,
                                                  const char* outputName = "segments") {
    const auto count = static_cast<std::int64_t>(frames.size());
    MLMultiArray scores({1, count, 7}, MLMultiArrayDataType::float32);
    for (std::int64_t f = 0; f < count; ++f) {
        for (std::int64_t c = 0; c < 7; ++c) scores[{0, f, c}] = frames[static_cast<std::size_t>(f)][static_cast<std::size_t>(c)];
    }
    return std::make_shared<ScriptedModelBackend>(
        MLModelDescription::make({MLFeatureDescription::multiArray("audio", {1, 1, 160000}, MLMultiArrayDataType::float32)},
                                 {MLFeatureDescription::multiArray(outputName, {1, count, 7}, MLMultiArrayDataType::float32)}),
        std::vector<ScriptedModelBackend::Outputs>{{{outputName, MLFeatureValue(scores)}}});
}

std::vector<float> oneHot(int cls) {
    std::vector<float> scores(7, 0.0f);
    scores[static_cast<std::size_t>(cls)] = 1.0f;
    return scores;
}

TEST(SegmentationProcessorTests, PowersetClassesDecodeToLocalSpeakers) {
    struct Case {
        const char* name;
        std::vector<float> scores;
        std::vector<float> speakers;
    };
    const Case cases[] = {
        {"silence", oneHot(0), {0, 0, 0}},
        {"speaker 0", oneHot(1), {1, 0, 0}},
        {"speaker 1", oneHot(2), {0, 1, 0}},
        {"speaker 2", oneHot(3), {0, 0, 1}},
        {"speakers 0 and 1", oneHot(4), {1, 1, 0}},
        {"speakers 0 and 2", oneHot(5), {1, 0, 1}},
        {"speakers 1 and 2", oneHot(6), {0, 1, 1}},
        {"tie goes to the lower class", {0, 0, 0.7f, 0, 0.7f, 0, 0}, {0, 1, 0}},
    };
    std::vector<std::vector<float>> frames;
    for (const auto& c : cases) frames.push_back(c.scores);
    SegmentationProcessor processor;
    const auto backend = fixedScores(frames);
    const auto output = processor.getSegments(std::vector<float>(80000, 0.25f), platform::coreml::MLModel(backend), 160000);
    ASSERT_EQ(output.segments.size(), 1u);
    ASSERT_EQ(output.segments[0].size(), frames.size());
    for (std::size_t i = 0; i < frames.size(); ++i) {
        SCOPED_TRACE(cases[i].name);
        EXPECT_EQ(output.segments[0][i], cases[i].speakers);
    }
    // The model saw the samples, then zeros.
    const auto audio = *backend->calls().at(0).inputs.at("audio").value.multiArrayValue();
    EXPECT_FLOAT_EQ(audio[79999].floatValue(), 0.25f);
    EXPECT_FLOAT_EQ(audio[80000].floatValue(), 0.0f);
}

TEST(SegmentationProcessorTests, LongSlicesAreCutAndMissingOutputFails) {
    SegmentationProcessor processor;
    const auto backend = fixedScores({oneHot(1)});
    std::vector<float> longSlice(170000, 0.5f);
    longSlice[160000] = 9.0f;
    processor.getSegments(longSlice, platform::coreml::MLModel(backend), 160000);
    const auto audio = *backend->calls().at(0).inputs.at("audio").value.multiArrayValue();
    EXPECT_EQ(audio.count(), 160000);

    try {
        processor.getSegments(longSlice, platform::coreml::MLModel(fixedScores({oneHot(1)}, "other")), 160000);
        FAIL() << "no error";
    } catch (const DiarizerError& error) {
        EXPECT_EQ(error.description(), "Processing failed: Missing segments output from segmentation model");
    }
}

} // namespace
} // namespace razeziruzer
