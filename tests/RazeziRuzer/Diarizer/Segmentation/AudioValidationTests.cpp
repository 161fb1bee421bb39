#include "RazeziRuzer/Diarizer/Segmentation/AudioValidation.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace razeziruzer {
namespace {

using Issues = std::vector<std::string>;

std::vector<float> sine(std::size_t count, float amplitude) {
    std::vector<float> samples(count);
    for (std::size_t i = 0; i < count; ++i) {
        samples[i] = amplitude * std::sin(2 * std::numbers::pi_v<float> * 440.0f * static_cast<float>(i) / 16000.0f);
    }
    return samples;
}

TEST(AudioValidationTests, AudioChecksInOrder) {
    struct Case {
        const char* name;
        std::vector<float> samples;
        bool valid;
        float duration;
        Issues issues;
    };
    const Case cases[] = {
        {"empty", {}, false, 0.0f,
         {"Audio too short (minimum 1 second)", "No audio data", "Audio too quiet or silent"}},
        {"one second of silence", std::vector<float>(16000, 0.0f), false, 1.0f, {"Audio too quiet or silent"}},
        {"just short of a second", std::vector<float>(15999, 0.5f), false, 15999 / 16000.0f,
         {"Audio too short (minimum 1 second)"}},
        {"two seconds of sine", sine(32000, 0.1f), true, 2.0f, {}},
        {"rms just below the floor", std::vector<float>(16000, 0.0099f), false, 1.0f, {"Audio too quiet or silent"}},
        {"rms just above the floor", std::vector<float>(16000, 0.0101f), true, 1.0f, {}},
    };
    const AudioValidation validation;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto result = validation.validateAudio(c.samples);
        EXPECT_EQ(result.isValid, c.valid);
        EXPECT_FLOAT_EQ(result.durationSeconds, c.duration);
        EXPECT_EQ(result.issues, c.issues);
    }
}

TEST(AudioValidationTests, Embeddings) {
    const AudioValidation validation;
    EXPECT_FALSE(validation.validateEmbedding(std::vector<float>{}));
    EXPECT_FALSE(validation.validateEmbedding(std::vector<float>{1, NAN}));
    EXPECT_FALSE(validation.validateEmbedding(std::vector<float>{1, INFINITY}));
    EXPECT_FALSE(validation.validateEmbedding(std::vector<float>{0.05f, 0.05f}));
    EXPECT_FALSE(validation.validateEmbedding(std::vector<float>{0.1f}));
    EXPECT_TRUE(validation.validateEmbedding(std::vector<float>{3, 4}));
}

} // namespace
} // namespace razeziruzer
