// The mel and encoder stages over scripted models: sizes read from the model
// description, arrays handed through untouched, and the order of their
// refusals (no model, then a stop request, then the model's own errors).

#include "Hushframe/Core/LogCategories.hpp"
#include "Hushframe/Models/AudioEncoder.hpp"
#include "Hushframe/Models/FeatureExtractor.hpp"
#include "Platform/Concurrency/Cancellation.hpp"
#include "Platform/CoreML/MLModelBackendRegistry.hpp"
#include "Platform/CoreML/MLModelError.hpp"
#include "Platform/CoreML/ScriptedModelBackend.hpp"
#include "tests/Hushframe/Core/ExpectWhisperError.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace hushframe {
namespace {

using platform::coreml::MLComputeUnits;
using platform::coreml::MLFeatureDescription;
using platform::coreml::MLFeatureProvider;
using platform::coreml::MLModel;
using platform::coreml::MLModelBackendRegistry;
using platform::coreml::MLModelDescription;
using platform::coreml::MLModelError;
using platform::coreml::MLModelErrorKind;
using platform::coreml::MLMultiArray;
using platform::coreml::MLState;
using platform::coreml::ScriptedModelBackend;
using Type = platform::coreml::MLMultiArrayDataType;
using Shape = std::vector<std::int64_t>;

MLFeatureDescription array(const std::string& name, Shape shape) {
    return MLFeatureDescription::multiArray(name, std::move(shape), Type::float32);
}

MLModelDescription melDescription(Shape audio = {480000}, Shape features = {1, 80, 1, 3000}) {
    return MLModelDescription::make({array("audio", std::move(audio))},
                                    {array("melspectrogram_features", std::move(features))});
}

MLModelDescription encoderDescription(Shape features = {1, 80, 1, 3000}, Shape embeds = {1, 1280, 1, 1500}) {
    return MLModelDescription::make({array("melspectrogram_features", std::move(features))},
                                    {array("encoder_output_embeds", std::move(embeds))});
}

// Small models for predictions: a 4-sample window, 2 × 2 features, 3 × 2 embeddings.
const Shape windowShape{4};
const Shape featureShape{1, 2, 1, 2};
const Shape embedShape{1, 3, 1, 2};

// One of the two stages, seen through the same few operations.
struct Stage {
    std::string name;
    MLModelDescription description;
    std::string outputName;
    Shape inputShape;
    Shape outputShape;
    std::function<std::shared_ptr<WhisperMLModel>()> make;
    std::function<std::optional<MLMultiArray>(WhisperMLModel&, const MLMultiArray&)> predict;
    std::function<void(WhisperMLModel&, std::stop_token)> setStopToken;
    std::function<OSSignposter&()> signposter;
    // Every size the stage reads from its model.
    std::function<std::vector<std::optional<int>>(const WhisperMLModel&)> sizes;
};

std::vector<Stage> stages() {
    return {
        {"mel", melDescription(windowShape, featureShape), "melspectrogram_features", windowShape, featureShape,
         [] { return std::make_shared<FeatureExtractor>(); },
         [](WhisperMLModel& stage, const MLMultiArray& input) {
             return dynamic_cast<FeatureExtractor&>(stage).logMelSpectrogram(input);
         },
         [](WhisperMLModel& stage, std::stop_token stop) { dynamic_cast<FeatureExtractor&>(stage).stopToken = stop; },
         []() -> OSSignposter& { return Logging::FeatureExtractor::signposter(); },
         [](const WhisperMLModel& stage) {
             const auto& mel = dynamic_cast<const FeatureExtractor&>(stage);
             return std::vector<std::optional<int>>{mel.melCount(), mel.windowSamples()};
         }},
        {"encoder", encoderDescription(featureShape, embedShape), "encoder_output_embeds", featureShape, embedShape,
         [] { return std::make_shared<AudioEncoder>(); },
         [](WhisperMLModel& stage, const MLMultiArray& input) {
             return dynamic_cast<AudioEncoder&>(stage).encodeFeatures(input);
         },
         [](WhisperMLModel& stage, std::stop_token stop) { dynamic_cast<AudioEncoder&>(stage).stopToken = stop; },
         []() -> OSSignposter& { return Logging::AudioEncoding::signposter(); },
         [](const WhisperMLModel& stage) {
             const auto& encoder = dynamic_cast<const AudioEncoder&>(stage);
             return std::vector<std::optional<int>>{encoder.embedSize(), encoder.sequenceLength()};
         }},
    };
}

TEST(ModelWrappersTests, WithoutAModelSizesAreAbsentAndPredictionsRefuse) {
    testsupport::TemporaryDirectory folder;
    for (const auto& stage : stages()) {
        SCOPED_TRACE(stage.name);
        const auto path = folder / (stage.name + ".mlmodelc");
        ScriptedModelBackend::writeCompiledModelFolder(path);
        const auto backend = std::make_shared<ScriptedModelBackend>(
            stage.description, [](const MLFeatureProvider&, MLState*) -> ScriptedModelBackend::Outputs { return {}; });
        const auto registration = MLModelBackendRegistry::shared().registerBackend(
            MLModelBackendRegistry::forPath(path), [backend](const auto&, const auto&) { return backend; });

        const auto wrapper = stage.make();
        // The missing model is reported before a stop request is looked at.
        std::stop_source stop;
        stop.request_stop();
        stage.setStopToken(*wrapper, stop.get_token());
        for (const std::string state : {"fresh", "prewarmed", "unloaded"}) {
            SCOPED_TRACE(state);
            if (state == "prewarmed") {
                wrapper->loadModel(path, MLComputeUnits::cpuOnly, true);
            } else if (state == "unloaded") {
                wrapper->loadModel(path, MLComputeUnits::cpuOnly, false);
                ASSERT_TRUE(wrapper->model());
                for (const auto& size : stage.sizes(*wrapper)) EXPECT_TRUE(size);
                wrapper->unloadModel();
            }
            EXPECT_FALSE(wrapper->model());
            EXPECT_EQ(stage.sizes(*wrapper), (std::vector<std::optional<int>>{std::nullopt, std::nullopt}));
            testing::expectWhisperError(WhisperErrorKind::modelsUnavailable, "Models are unavailable",
                                        [&] { stage.predict(*wrapper, MLMultiArray(stage.inputShape, Type::float32)); });
        }
        EXPECT_EQ(backend->callCount(), 0u);
    }
}

TEST(ModelWrappersTests, SizesComeFromTheModelDescription) {
    const auto none = [](const MLFeatureProvider&, MLState*) -> ScriptedModelBackend::Outputs { return {}; };
    struct Case {
        std::string name;
        MLModelDescription mel;
        MLModelDescription encoder;
        std::optional<int> windowSamples, melCount, embedSize, sequenceLength;
    };
    const std::vector<Case> cases{
        {"large models", melDescription(), encoderDescription(), 480000, 80, 1280, 1500},
        {"small models", melDescription({3200}, {1, 8, 1, 20}), encoderDescription({1, 8, 1, 20}, {1, 16, 1, 10}),
         3200, 8, 16, 10},
        {"shapes too short", melDescription({480000}, {80}), encoderDescription({1, 80, 1, 3000}, {1, 384}),
         480000, std::nullopt, 384, std::nullopt},
        {"features of other names",
         MLModelDescription::make({array("samples", {480000})}, {array("mel", {1, 80, 1, 3000})}),
         MLModelDescription::make({array("mel", {1, 80, 1, 3000})}, {array("embeds", {1, 1280, 1, 1500})}),
         std::nullopt, std::nullopt, std::nullopt, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FeatureExtractor mel;
        mel.setModel(MLModel(std::make_shared<ScriptedModelBackend>(c.mel, none)));
        AudioEncoder encoder;
        encoder.setModel(MLModel(std::make_shared<ScriptedModelBackend>(c.encoder, none)));
        EXPECT_EQ(mel.windowSamples(), c.windowSamples);
        EXPECT_EQ(mel.melCount(), c.melCount);
        EXPECT_EQ(encoder.embedSize(), c.embedSize);
        EXPECT_EQ(encoder.sequenceLength(), c.sequenceLength);
    }
    // Read afresh each time: a replaced model changes the sizes.
    FeatureExtractor mel;
    mel.setModel(MLModel(std::make_shared<ScriptedModelBackend>(melDescription({3200}, {1, 8, 1, 20}), none)));
    EXPECT_EQ(mel.windowSamples(), 3200);
    mel.setModel(MLModel(std::make_shared<ScriptedModelBackend>(melDescription({1600}, {1, 4, 1, 10}), none)));
    EXPECT_EQ(mel.windowSamples(), 1600);
    EXPECT_EQ(mel.melCount(), 4);
}

TEST(ModelWrappersTests, PredictionsHandTheArraysThroughUnchanged) {
    for (const auto& stage : stages()) {
        SCOPED_TRACE(stage.name);
        const MLMultiArray reply(stage.outputShape, Type::float32, 0.25);
        const auto backend = std::make_shared<ScriptedModelBackend>(
            stage.description, [&](const MLFeatureProvider&, MLState*) -> ScriptedModelBackend::Outputs {
                return {{stage.outputName, reply}};
            });
        const auto wrapper = stage.make();
        wrapper->setModel(MLModel(backend));
        const MLMultiArray input(stage.inputShape, Type::float32, 0.5);
        const OSSignpostID before = stage.signposter().makeSignpostID();

        const auto output = stage.predict(*wrapper, input);

        ASSERT_TRUE(output);
        EXPECT_TRUE(output->sharesMemory(reply));
        ASSERT_EQ(backend->callCount(), 1u);
        // calls() hands out a copy: keep it while its inputs are looked at.
        const auto calls = backend->calls();
        const auto& fed = calls[0].inputs;
        ASSERT_EQ(fed.size(), 1u);
        EXPECT_EQ(fed.begin()->second.dataPointer, input.dataPointer());
        // One interval was opened for the prediction.
        EXPECT_EQ(stage.signposter().makeSignpostID().rawValue, before.rawValue + 2);
    }
}

TEST(ModelWrappersTests, AStopRequestEndsThePredictionBeforeTheModel) {
    for (const auto& stage : stages()) {
        SCOPED_TRACE(stage.name);
        const auto backend = std::make_shared<ScriptedModelBackend>(
            stage.description, std::vector<ScriptedModelBackend::Outputs>{});
        const auto wrapper = stage.make();
        wrapper->setModel(MLModel(backend));
        std::stop_source stop;
        stage.setStopToken(*wrapper, stop.get_token());
        stop.request_stop();
        const OSSignpostID before = stage.signposter().makeSignpostID();

        EXPECT_THROW(stage.predict(*wrapper, MLMultiArray(stage.inputShape, Type::float32)),
                     platform::CancellationError);

        EXPECT_EQ(backend->callCount(), 0u);
        EXPECT_EQ(stage.signposter().makeSignpostID().rawValue, before.rawValue + 1) << "an interval was opened";
    }
}

TEST(ModelWrappersTests, ModelErrorsPassThroughAndAMissingOutputIsAbsent) {
    for (const auto& stage : stages()) {
        SCOPED_TRACE(stage.name);
        int call = 0;
        const auto backend = std::make_shared<ScriptedModelBackend>(
            stage.description, [&](const MLFeatureProvider&, MLState*) -> ScriptedModelBackend::Outputs {
                if (++call == 1) throw MLModelError(MLModelErrorKind::io, "the model stumbled");
                return {{"something_else", MLMultiArray(stage.outputShape, Type::float32, 1.0)}};
            });
        const auto wrapper = stage.make();
        wrapper->setModel(MLModel(backend));
        const MLMultiArray input(stage.inputShape, Type::float32);
        try {
            stage.predict(*wrapper, input);
            FAIL() << "the model's error was lost";
        } catch (const MLModelError& error) {
            EXPECT_EQ(error.kind(), MLModelErrorKind::io);
            EXPECT_STREQ(error.what(), "the model stumbled");
        }
        EXPECT_EQ(stage.predict(*wrapper, input), std::nullopt);
    }
}

} // namespace
} // namespace hushframe
