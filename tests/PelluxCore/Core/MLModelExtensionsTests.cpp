#include "PelluxCore/MLComputeUnitsNames.hpp"
#include "PelluxCore/MLModelExtensions.hpp"

#include "Platform/CoreML/MLModelError.hpp"
#include "Platform/CoreML/ScriptedModelBackend.hpp"

#include <gtest/gtest.h>

#include <memory>

namespace pelluxcore {
namespace {

using namespace platform::coreml;

TEST(ComputeUnitsNames, DescriptionAndDisplayName) {
    struct Case {
        std::int32_t raw;
        const char* description;
        const char* displayName;
    };
    const Case cases[] = {{0, "cpuOnly", "CPU"},
                          {1, "cpuAndGPU", "GPU"},
                          {2, "all", "All"},
                          {3, "cpuAndNeuralEngine", "Neural Engine"},
                          {9, "unknown", "Unknown"}};
    for (const auto& c : cases) {
        const auto units = static_cast<MLComputeUnits>(c.raw);
        EXPECT_EQ(description(units), c.description);
        EXPECT_EQ(displayName(units), c.displayName);
    }
}

// Doubles "x" into "y"; with a state, also adds "x" to the state buffer "s".
MLModel doublingModel(bool stateful) {
    const auto x = MLFeatureDescription::multiArray("x", {1}, MLMultiArrayDataType::float32);
    const auto y = MLFeatureDescription::multiArray("y", {1}, MLMultiArrayDataType::float32);
    std::vector<MLFeatureDescription> states;
    if (stateful) states.push_back(MLFeatureDescription::state("s", {1}, MLMultiArrayDataType::float32));
    return MLModel(std::make_shared<ScriptedModelBackend>(
        MLModelDescription::make({x}, {y}, states), [](const MLFeatureProvider& inputs, MLState* state) {
            const double value = (*inputs.featureValue("x")->multiArrayValue())[0].doubleValue();
            if (state != nullptr) {
                state->withMultiArray("s", [value](const MLMultiArray& buffer) { buffer[0] = buffer[0].doubleValue() + value; });
            }
            return ScriptedModelBackend::Outputs{{"y", MLFeatureValue(MLMultiArray({1}, MLMultiArrayDataType::float32, value * 2))}};
        }));
}

MLDictionaryFeatureProvider input() {
    return MLDictionaryFeatureProvider({{"x", MLFeatureValue(MLMultiArray({1}, MLMultiArrayDataType::float32, 3.0))}});
}

TEST(AsyncPrediction, ReturnsTheModelOutputs) {
    const auto outputs = asyncPrediction(doublingModel(false), input());
    EXPECT_EQ((*outputs.featureValue("y")->multiArrayValue())[0].doubleValue(), 6.0);
}

TEST(AsyncPrediction, StatefulPredictionUpdatesTheState) {
    const MLModel model = doublingModel(true);
    MLState state = model.makeState();
    asyncPrediction(model, input(), state);
    const auto outputs = asyncPrediction(model, input(), state);
    EXPECT_EQ((*outputs.featureValue("y")->multiArrayValue())[0].doubleValue(), 6.0);
    EXPECT_EQ(state.multiArray("s")[0].doubleValue(), 6.0);
}

TEST(AsyncPrediction, ModelFailuresPassThrough) {
    EXPECT_THROW(asyncPrediction(doublingModel(true), input()), MLModelError);
}

} // namespace
} // namespace pelluxcore
