#include "OstrelVirorez/Engines/HushframeEngine.hpp"

#include "Hushframe/Core/Hushframe.hpp"
#include "Hushframe/Decoding/TextDecoder.hpp"
#include "Platform/Concurrency/ManualClock.hpp"
#include "tests/Hushframe/Decoding/ScriptedWhisper.hpp"
#include "tests/OstrelVirorez/Engines/EngineTestAudio.hpp"

#include <gtest/gtest.h>

namespace ostrelvirorez {
namespace {

using namespace hushframe::testing;
using hushframe::HushframeConfig;

// The package's pipeline with its own transcription path, over a scripted
// decoder model and marker front end; only finding and loading the model
// files is left out.
class ScriptedPipeline final : public hushframe::Hushframe {
public:
    ScriptedPipeline(ConstructionKey key, const HushframeConfig& config, std::shared_ptr<ScriptTokenizer> tokenizer)
        : Hushframe(key, config), scriptTokenizer_(std::move(tokenizer)) {}

    void setupModels(const std::optional<std::string>&, const std::optional<std::filesystem::path>&,
                     const std::optional<std::string>&, const std::optional<std::string>&,
                     const std::optional<std::string>&, bool, const std::string&, const std::string&) override {}
    void prewarmModels() override {}
    void loadModels(bool) override {
        setModelState(pelluxcore::ModelState::loaded);
        setTokenizer(scriptTokenizer_);
    }
    void unloadModels() override { setModelState(pelluxcore::ModelState::unloaded); }

private:
    std::shared_ptr<ScriptTokenizer> scriptTokenizer_;
};

// Two segments: " Hello world" up to `middle` seconds, then " How are you?" up
// to `end` seconds of the window.
Attempt twoSentences(int middle, int end) {
    const int m = T + middle * 50;
    return Attempt{{{1}, {2}, {m}, {m}, {4}, {5}, {6}, {7}, {T + end * 50}}};
}

// So repetitive that its compression ratio sends the window back.
Attempt repetitive() { return Attempt{std::vector<Step>(60, Step{9})}; }

class HushframeEnginePipelineTests : public ::testing::Test {
protected:
    HushframeEnginePipelineTests()
        : model({{0, {twoSentences(2, 5)}}, {5, {repetitive(), twoSentences(4, 15)}}}) {
        decoder->setModel(model.model());
        decoder->setIsModelMultilingual(true);
    }

    HushframeEngine::PipelineFactory scriptedPipelines() {
        return [this](const HushframeConfig& fixed) -> std::shared_ptr<hushframe::Hushframe> {
            auto config = fixed;
            config.featureExtractor = std::make_shared<MarkerFeatureExtractor>();
            config.audioEncoder = std::make_shared<MarkerAudioEncoder>();
            config.textDecoder = decoder;
            config.verbose = false;
            return hushframe::Hushframe::create<ScriptedPipeline>(config, tokenizer);
        };
    }

    // The language token of the prompt of each decoder run at cache position 1.
    std::vector<int> promptLanguages() const {
        std::vector<int> languages;
        for (const auto& call : model.backend().calls()) {
            const auto& inputs = call.inputs;
            if (inputs.at("cache_length").value.multiArrayValue()->operator[](0).int32Value() != 1) continue;
            languages.push_back(inputs.at("input_ids").value.multiArrayValue()->operator[](0).int32Value());
        }
        return languages;
    }

    ScriptedDecoderModel model;
    std::shared_ptr<ScriptTokenizer> tokenizer = std::make_shared<ScriptTokenizer>();
    std::shared_ptr<hushframe::TextDecoder> decoder = std::make_shared<hushframe::TextDecoder>();
    platform::ManualClock clock;
};

// Twenty seconds in two windows, the second decoded again after its first
// attempt repeats itself: the fixed options bring the whole text back.
TEST_F(HushframeEnginePipelineTests, TwentySecondsGiveTheScriptedText) {
    HushframeEngine engine(scriptedPipelines(), clock);
    engine.load();
    const auto result = engine.transcribe(enginetest::recording(secondMarkedAudio(20)), "de");
    EXPECT_EQ(result.text, "Hello world How are you? Hello world How are you?");
    EXPECT_EQ(result.language, "de");
    EXPECT_EQ(promptLanguages(), (std::vector<int>{de, de, de}));
}

TEST_F(HushframeEnginePipelineTests, WithoutAHintThePromptCarriesEnglish) {
    HushframeEngine engine(scriptedPipelines(), clock);
    engine.load();
    const auto result = engine.transcribe(enginetest::recording(secondMarkedAudio(20)), std::nullopt);
    EXPECT_EQ(result.text, "Hello world How are you? Hello world How are you?");
    EXPECT_EQ(result.language, "en");
    EXPECT_EQ(promptLanguages(), (std::vector<int>{en, en, en}));
}

} // namespace
} // namespace ostrelvirorez
