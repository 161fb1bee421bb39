#include "Platform/Accel/Float16.hpp"
#include "Platform/CoreML/MLModel.hpp"
#include "Platform/CoreML/MLModelBackendRegistry.hpp"
#include "Platform/CoreML/MLModelError.hpp"
#include "Platform/CoreML/ScriptedModelBackend.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

using namespace platform::coreml;
using Outputs = ScriptedModelBackend::Outputs;

std::vector<double> values(const MLMultiArray& array) {
    std::vector<double> result;
    for (std::int64_t i = 0; i < array.count(); ++i) {
        result.push_back(array[i]);
    }
    return result;
}

MLMultiArray arrayOf(std::vector<std::int64_t> shape, const std::vector<double>& contents,
                     MLMultiArrayDataType type = MLMultiArrayDataType::float32) {
    const MLMultiArray array(std::move(shape), type);
    for (std::size_t i = 0; i < contents.size(); ++i) {
        array[static_cast<std::int64_t>(i)] = contents[i];
    }
    return array;
}

MLMultiArray input(const MLFeatureProvider& inputs, const std::string& name) {
    return *inputs.featureValue(name)->multiArrayValue();
}

template <typename Body>
MLModelError errorOf(Body&& body) {
    try {
        body();
    } catch (const MLModelError& error) {
        return error;
    }
    ADD_FAILURE() << "no MLModelError thrown";
    return MLModelError(MLModelErrorKind::generic, "");
}

// The LSTM-shaped decoder step: "h_out" is "h_in" + 1 and "decoder" is 2 * "h_in".
std::shared_ptr<ScriptedModelBackend> decoderBackend() {
    const auto description = MLModelDescription::make(
        {MLFeatureDescription::multiArray("h_in", {1, 3}, MLMultiArrayDataType::float32),
         MLFeatureDescription::multiArray("targets", {1, 1}, MLMultiArrayDataType::int32)},
        {MLFeatureDescription::multiArray("h_out", {1, 3}, MLMultiArrayDataType::float32),
         MLFeatureDescription::multiArray("decoder", {1, 3}, MLMultiArrayDataType::float32)});
    return std::make_shared<ScriptedModelBackend>(description, [](const MLFeatureProvider& inputs, MLState*) {
        const auto h = input(inputs, "h_in");
        const MLMultiArray next({1, 3}, MLMultiArrayDataType::float32);
        const MLMultiArray projection({1, 3}, MLMultiArrayDataType::float32);
        for (std::int64_t i = 0; i < 3; ++i) {
            next[i] = h[i] + 1;
            projection[i] = h[i] * 2;
        }
        return Outputs{{"h_out", next}, {"decoder", projection}};
    });
}

MLDictionaryFeatureProvider decoderInputs(const MLMultiArray& h) {
    return MLDictionaryFeatureProvider({{"h_in", h}, {"targets", MLMultiArray({1, 1}, MLMultiArrayDataType::int32, 5)}});
}

TEST(MLModelPrediction, ScriptSeesTheInputsAndEveryCallIsRecorded) {
    const auto backend = decoderBackend();
    const MLModel model(backend);
    std::array<float, 6> memory{1, -1, 2, -1, 3, -1};
    const MLMultiArray strided(memory.data(), {1, 3}, MLMultiArrayDataType::float32, {6, 2}, nullptr);

    const auto result = model.prediction(decoderInputs(strided));
    EXPECT_EQ(values(*result.featureValue("decoder")->multiArrayValue()), (std::vector<double>{2, 4, 6}));

    memory[0] = 100; // the record keeps the values as they were fed
    const auto calls = backend->calls();
    ASSERT_EQ(calls.size(), 1u);
    const auto& fed = calls[0].inputs.at("h_in");
    EXPECT_EQ(values(*fed.value.multiArrayValue()), (std::vector<double>{1, 2, 3}));
    EXPECT_EQ(fed.value.multiArrayValue()->shape(), (std::vector<std::int64_t>{1, 3}));
    EXPECT_EQ(fed.strides, (std::vector<std::int64_t>{6, 2}));
    EXPECT_EQ(fed.dataPointer, memory.data());
    EXPECT_EQ(calls[0].inputs.at("targets").value.multiArrayValue()->operator[](0), 5.0);
    EXPECT_FALSE(calls[0].stateful);
}

TEST(MLModelPrediction, MissingOrMisshapenInputsFailBeforeTheModelRuns) {
    const auto backend = decoderBackend();
    const MLModel model(backend);
    const MLMultiArray h({1, 3}, MLMultiArrayDataType::float32);

    auto error = errorOf([&] { model.prediction(MLDictionaryFeatureProvider({{"h_in", h}})); });
    EXPECT_EQ(error.kind(), MLModelErrorKind::featureType);
    EXPECT_NE(error.description().find("\"targets\""), std::string::npos) << error.description();

    error = errorOf([&] { model.prediction(decoderInputs(MLMultiArray({1, 4}, MLMultiArrayDataType::float32))); });
    EXPECT_EQ(error.kind(), MLModelErrorKind::featureType);
    EXPECT_NE(error.description().find("[1, 4]"), std::string::npos) << error.description();

    error = errorOf([&] {
        model.prediction(MLDictionaryFeatureProvider(
            {{"h_in", MLFeatureValue(2.0)}, {"targets", MLMultiArray({1, 1}, MLMultiArrayDataType::int32)}}));
    });
    EXPECT_EQ(error.kind(), MLModelErrorKind::featureType);
    EXPECT_EQ(backend->callCount(), 0u);
}

TEST(MLModelPrediction, ShapeConstraintsAdmitEnumeratedShapesAndRanges) {
    MLMultiArrayConstraint enumerated{{1, 80, 100}, MLMultiArrayDataType::float32, {}};
    enumerated.shapeConstraint.type = MLMultiArrayShapeConstraintType::enumerated;
    enumerated.shapeConstraint.enumeratedShapes = {{1, 80, 100}, {1, 80, 300}};
    MLMultiArrayConstraint ranged{{1, 1}, MLMultiArrayDataType::float32, {}};
    ranged.shapeConstraint.type = MLMultiArrayShapeConstraintType::range;
    ranged.shapeConstraint.sizeRangeForDimension = {{1, 1}, {1, std::nullopt}};
    const MLMultiArrayConstraint anyShape{{}, MLMultiArrayDataType::float32, {}};

    struct Case {
        const MLMultiArrayConstraint& constraint;
        std::vector<std::int64_t> shape;
        bool admitted;
    };
    const Case cases[] = {
        {enumerated, {1, 80, 300}, true}, {enumerated, {1, 80, 200}, false}, {ranged, {1, 240000}, true},
        {ranged, {2, 5}, false},          {ranged, {1, 0}, false},           {ranged, {1, 5, 1}, false},
        {anyShape, {7, 7}, true},
    };
    for (const auto& c : cases) {
        const auto backend = std::make_shared<ScriptedModelBackend>(
            MLModelDescription::make({MLFeatureDescription::multiArray("mel", c.constraint)}, {}),
            [](const MLFeatureProvider&, MLState*) { return Outputs{}; });
        const MLModel model(backend);
        const MLDictionaryFeatureProvider inputs({{"mel", MLMultiArray(c.shape, MLMultiArrayDataType::float32)}});
        if (c.admitted) {
            EXPECT_NO_THROW(model.prediction(inputs)) << ::testing::PrintToString(c.shape);
        } else {
            EXPECT_THROW(model.prediction(inputs), MLModelError) << ::testing::PrintToString(c.shape);
        }
    }
}

TEST(MLModelPrediction, OptionalInputsMayBeLeftOut) {
    auto optional = MLFeatureDescription::multiArray("encoder_proj", {1, 640}, MLMultiArrayDataType::float32);
    optional.isOptional = true;
    const auto backend = std::make_shared<ScriptedModelBackend>(
        MLModelDescription::make({optional}, {}), [](const MLFeatureProvider&, MLState*) { return Outputs{}; });
    EXPECT_NO_THROW(MLModel(backend).prediction(MLDictionaryFeatureProvider({})));
}

TEST(MLModelPrediction, BackingsReceiveOutputsThroughTheirStrides) {
    const MLModel model(decoderBackend());
    std::array<float, 8> memory{};
    memory.fill(-7);
    const MLMultiArray backing(memory.data(), {1, 3}, MLMultiArrayDataType::float32, {8, 2}, nullptr);
    MLPredictionOptions options;
    options.outputBackings.emplace("decoder", backing);

    const auto result = model.prediction(decoderInputs(arrayOf({1, 3}, {1, 2, 3})), options);
    EXPECT_EQ(memory, (std::array<float, 8>{2, -7, 4, -7, 6, -7, -7, -7}));
    EXPECT_TRUE(result.featureValue("decoder")->multiArrayValue()->isIdentical(backing));
}

TEST(MLModelPrediction, BackingMayBeTheInputItFollowsFrom) {
    const MLModel model(decoderBackend());
    const auto h = arrayOf({1, 3}, {1, 2, 3});
    MLPredictionOptions options;
    options.outputBackings.emplace("h_out", h);

    const auto result = model.prediction(decoderInputs(h), options);
    EXPECT_EQ(values(h), (std::vector<double>{2, 3, 4}));
    EXPECT_EQ(values(*result.featureValue("decoder")->multiArrayValue()), (std::vector<double>{2, 4, 6}));
    model.prediction(decoderInputs(h), options);
    EXPECT_EQ(values(h), (std::vector<double>{3, 4, 5}));
}

TEST(MLModelPrediction, OutputsThatAliasInputsComeInArraysOfTheirOwn) {
    // A model that hands back a reversed view of its input as "h_out" and the
    // input itself as "decoder".
    const auto description = MLModelDescription::make(
        {MLFeatureDescription::multiArray("h_in", {3}, MLMultiArrayDataType::float32)},
        {MLFeatureDescription::multiArray("h_out", {3}, MLMultiArrayDataType::float32),
         MLFeatureDescription::multiArray("decoder", {3}, MLMultiArrayDataType::float32)});
    const MLModel model(std::make_shared<ScriptedModelBackend>(description, [](const MLFeatureProvider& inputs, MLState*) {
        const auto h = input(inputs, "h_in");
        const MLMultiArray reversed(static_cast<float*>(h.dataPointer()) + 2, {3}, MLMultiArrayDataType::float32, {-1},
                                    [h](void*) {});
        return Outputs{{"h_out", reversed}, {"decoder", h}};
    }));
    const auto h = arrayOf({3}, {1, 2, 3});
    MLPredictionOptions options;
    options.outputBackings.emplace("h_out", h);

    const auto result = model.prediction(MLDictionaryFeatureProvider({{"h_in", h}}), options);
    EXPECT_EQ(values(h), (std::vector<double>{3, 2, 1}));
    const auto decoder = *result.featureValue("decoder")->multiArrayValue();
    EXPECT_FALSE(decoder.sharesMemory(h));
    EXPECT_EQ(values(decoder), (std::vector<double>{1, 2, 3}));
}

TEST(MLModelPrediction, UnfitBackingFailsWithoutWritingAnyBacking) {
    const MLModel model(decoderBackend());
    const MLMultiArray fitting({1, 3}, MLMultiArrayDataType::float32, -1);
    MLPredictionOptions options;
    options.outputBackings.emplace("decoder", fitting);
    options.outputBackings.emplace("h_out", MLMultiArray({1, 640, 1}, MLMultiArrayDataType::float32));

    auto error = errorOf([&] { model.prediction(decoderInputs(arrayOf({1, 3}, {1, 2, 3})), options); });
    EXPECT_EQ(error.kind(), MLModelErrorKind::featureType);
    EXPECT_NE(error.description().find("[1, 640, 1]"), std::string::npos) << error.description();
    EXPECT_EQ(values(fitting), (std::vector<double>{-1, -1, -1}));

    MLPredictionOptions unknown;
    unknown.outputBackings.emplace("logits", fitting);
    error = errorOf([&] { model.prediction(decoderInputs(arrayOf({1, 3}, {1, 2, 3})), unknown); });
    EXPECT_NE(error.description().find("logits"), std::string::npos) << error.description();
}

TEST(MLModelPrediction, BatchPredictsEachExampleInOrder) {
    const auto backend = decoderBackend();
    const MLModel model(backend);
    std::vector<std::shared_ptr<const MLFeatureProvider>> examples;
    for (double start : {0.0, 10.0, 20.0}) {
        examples.push_back(std::make_shared<MLDictionaryFeatureProvider>(
            decoderInputs(arrayOf({1, 3}, {start, start + 1, start + 2}))));
    }
    const auto results = model.predictions(MLArrayBatchProvider(examples));
    ASSERT_EQ(results.count(), 3u);
    EXPECT_EQ(values(*results.features(2).featureValue("h_out")->multiArrayValue()), (std::vector<double>{21, 22, 23}));
    EXPECT_EQ(values(*results.features(0).featureValue("h_out")->multiArrayValue()), (std::vector<double>{1, 2, 3}));
    EXPECT_EQ(backend->callCount(), 3u);
    EXPECT_EQ(model.predictions(MLArrayBatchProvider()).count(), 0u);
}

TEST(MLModelPrediction, ReplyTableIsConsumedInOrder) {
    const auto description =
        MLModelDescription::make({}, {MLFeatureDescription::multiArray("token_id", {1}, MLMultiArrayDataType::int32)});
    const auto backend = std::make_shared<ScriptedModelBackend>(
        description, std::vector<Outputs>{{{"token_id", arrayOf({1}, {7}, MLMultiArrayDataType::int32)}},
                                          {{"token_id", arrayOf({1}, {9}, MLMultiArrayDataType::int32)}}});
    const MLModel model(backend);
    const MLDictionaryFeatureProvider none({});
    EXPECT_EQ(model.prediction(none).featureValue("token_id")->multiArrayValue()->operator[](0), 7.0);
    EXPECT_EQ(model.prediction(none).featureValue("token_id")->multiArrayValue()->operator[](0), 9.0);
    EXPECT_EQ(errorOf([&] { model.prediction(none); }).kind(), MLModelErrorKind::generic);
}

// A model keeping a running position and a cache row in its state.
std::shared_ptr<ScriptedModelBackend> counterBackend() {
    const auto description = MLModelDescription::make(
        {MLFeatureDescription::multiArray("step", {1}, MLMultiArrayDataType::float32)},
        {MLFeatureDescription::multiArray("position", {1}, MLMultiArrayDataType::float32)},
        {MLFeatureDescription::state("k_cache0", {1, 4}, MLMultiArrayDataType::float16)});
    return std::make_shared<ScriptedModelBackend>(description, [](const MLFeatureProvider& inputs, MLState* state) {
        const auto step = input(inputs, "step")[0].doubleValue();
        double position = 0;
        state->withMultiArray("k_cache0", [&](const MLMultiArray& cache) {
            for (std::int64_t i = 0; i < cache.count(); ++i) {
                cache[i] = cache[i] + step;
            }
            position = cache[0];
        });
        return Outputs{{"position", arrayOf({1}, {position})}};
    });
}

TEST(MLModelPrediction, StateCarriesAcrossCalls) {
    const auto backend = counterBackend();
    const MLModel model(backend);
    auto state = model.makeState();
    EXPECT_EQ(state.stateNames(), (std::set<std::string>{"k_cache0"}));
    EXPECT_EQ(values(state.multiArray("k_cache0")), std::vector<double>(4, 0));
    EXPECT_EQ(state.multiArray("k_cache0").dataType(), MLMultiArrayDataType::float16);

    const MLDictionaryFeatureProvider step({{"step", arrayOf({1}, {1.5})}});
    model.prediction(step, state);
    const auto second = model.prediction(step, state);
    EXPECT_EQ(second.featureValue("position")->multiArrayValue()->operator[](0), 3.0);
    EXPECT_EQ(values(state.multiArray("k_cache0")), std::vector<double>(4, 3.0));
    EXPECT_TRUE(backend->calls().back().stateful);

    auto fresh = model.makeState();
    model.prediction(step, fresh);
    EXPECT_EQ(values(fresh.multiArray("k_cache0")), std::vector<double>(4, 1.5));
    EXPECT_EQ(values(state.multiArray("k_cache0")), std::vector<double>(4, 3.0));
}

TEST(MLModelPrediction, StatefulModelsRefuseStatelessCallsAndForeignStates) {
    const MLModel model(counterBackend());
    const MLDictionaryFeatureProvider step({{"step", arrayOf({1}, {1})}});
    EXPECT_EQ(errorOf([&] { model.prediction(step); }).kind(), MLModelErrorKind::featureType);

    MLState missing({{"v_cache0", MLMultiArray({1, 4}, MLMultiArrayDataType::float16)}});
    EXPECT_EQ(errorOf([&] { model.prediction(step, missing); }).kind(), MLModelErrorKind::featureType);
    MLState wrongType({{"k_cache0", MLMultiArray({1, 4}, MLMultiArrayDataType::float32)}});
    EXPECT_EQ(errorOf([&] { model.prediction(step, wrongType); }).kind(), MLModelErrorKind::featureType);
    EXPECT_THROW(missing.multiArray("k_cache0"), MLModelError);
}

TEST(MLModelPrediction, StateFactoryMayLayBuffersOutWithStrides) {
    const auto backend = counterBackend();
    std::array<std::uint16_t, 8> memory{};
    backend->setStateFactory([&] {
        return MLState({{"k_cache0", MLMultiArray(memory.data(), {1, 4}, MLMultiArrayDataType::float16, {8, 2}, nullptr)}});
    });
    const MLModel model(backend);
    auto state = model.makeState();
    model.prediction(MLDictionaryFeatureProvider({{"step", arrayOf({1}, {2})}}), state);
    const auto two = platform::accel::floatToHalf(2.0f);
    EXPECT_EQ(memory, (std::array<std::uint16_t, 8>{two, 0, two, 0, two, 0, two, 0}));
}

TEST(MLModelPrediction, FunctionsOfOneModelShareOneState) {
    testsupport::TemporaryDirectory folder;
    const auto path = folder / "pocket_state.mlmodelc";
    ScriptedModelBackend::writeCompiledModelFolder(path);
    const auto registration = MLModelBackendRegistry::shared().registerBackend(
        MLModelBackendRegistry::forPath(path), [](const auto&, const MLModelConfiguration& configuration) {
            auto backend = counterBackend();
            if (configuration.functionName != "generate") {
                return backend;
            }
            // "generate" reads the cache without changing it.
            return std::make_shared<ScriptedModelBackend>(
                backend->modelDescription(), [](const MLFeatureProvider&, MLState* state) {
                    return Outputs{{"position", arrayOf({1}, {state->multiArray("k_cache0")[0]})}};
                });
        });
    MLModelConfiguration prefillConfiguration;
    prefillConfiguration.functionName = "prefill";
    MLModelConfiguration generateConfiguration;
    generateConfiguration.functionName = "generate";
    const auto prefill = MLModel::load(path, prefillConfiguration);
    const auto generate = MLModel::load(path, generateConfiguration);

    auto state = generate.makeState();
    prefill.prediction(MLDictionaryFeatureProvider({{"step", arrayOf({1}, {4})}}), state);
    const auto result = generate.prediction(MLDictionaryFeatureProvider({{"step", arrayOf({1}, {0})}}), state);
    EXPECT_EQ(result.featureValue("position")->multiArrayValue()->operator[](0), 4.0);
}

} // namespace
