#include "Platform/CoreML/MLModelError.hpp"
#include "Platform/CoreML/ScriptedModelBackend.hpp"
#include "RazeziRuzer/Shared/ANEMemoryUtils.hpp"
#include "RazeziRuzer/Shared/MLModelCompatPrediction.hpp"
#include "RazeziRuzer/Shared/MLModelConfigurationUtils.hpp"
#include "RazeziRuzer/Shared/MLMultiArrayAdditions.hpp"
#include "tests/Support/ScopedEnvironment.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace razeziruzer {
namespace {

using namespace platform::coreml;
using Shape = std::vector<std::int64_t>;

TEST(MLMultiArrayAdditionsTests, ResetFillsElementsThroughPaddedStrides) {
    // [2, 5] rows padded to 16: a dense fill of count elements would write
    // padding and leave the second row unchanged.
    const auto floats = ANEMemoryUtils::createAlignedArray({2, 5}, MLMultiArrayDataType::float32, true);
    reset(floats, 1.5);
    for (std::int64_t i = 0; i < floats.count(); ++i) EXPECT_EQ(floats[i].doubleValue(), 1.5) << i;
    EXPECT_EQ(floats.dataPointer<float>()[5], 0.0F);

    const auto integers = ANEMemoryUtils::createAlignedArray({2, 5}, MLMultiArrayDataType::int32, true);
    reset(integers, -2.7);
    for (std::int64_t i = 0; i < integers.count(); ++i) EXPECT_EQ(integers[i].doubleValue(), -2.0) << i;
    EXPECT_EQ(integers.dataPointer<std::int32_t>()[15], 0);

    const MLMultiArray dense({3, 2}, MLMultiArrayDataType::float32);
    reset(dense, 4.0);
    EXPECT_EQ(dense[5].doubleValue(), 4.0);

    for (const auto type : {MLMultiArrayDataType::float16, MLMultiArrayDataType::float64, MLMultiArrayDataType::int8}) {
        const MLMultiArray other({3}, type, 1.0);
        reset(other, 9.0);
        EXPECT_EQ(other[2].doubleValue(), 1.0);
    }
    EXPECT_NO_THROW(prefetchToNeuralEngine(floats));
    EXPECT_NO_THROW(prefetchToNeuralEngine(MLMultiArray({0, 3}, MLMultiArrayDataType::float32)));
}

TEST(MLModelConfigurationUtilsTests, DefaultConfigurationAllowsLowPrecisionOnTheGivenUnits) {
    for (const auto units : {MLComputeUnits::cpuOnly, MLComputeUnits::cpuAndNeuralEngine, MLComputeUnits::all}) {
        const auto configuration = MLModelConfigurationUtils::defaultConfiguration(units);
        EXPECT_EQ(configuration.computeUnits, units);
        EXPECT_TRUE(configuration.allowLowPrecisionAccumulationOnGPU);
        EXPECT_FALSE(configuration.functionName.has_value());
    }
}

TEST(MLModelConfigurationUtilsTests, ModelsLiveUnderTheUsersDataFolderAndNothingIsCreated) {
    testsupport::TemporaryDirectory data;
    testsupport::ScopedEnvironment environment;
    environment.set("XDG_DATA_HOME", data.path().string());

    const auto models = data.path() / "RazeziRuzer" / "Models";
    EXPECT_EQ(MLModelConfigurationUtils::defaultModelsDirectory(), models);
    EXPECT_EQ(MLModelConfigurationUtils::defaultModelsDirectory(Repo::parakeetV3), models / folderName(Repo::parakeetV3));
    // A repository whose folder lies inside the hub repository keeps both parts.
    const auto nested = std::find_if(allCases<Repo>().begin(), allCases<Repo>().end(),
                                     [](Repo repo) { return folderName(repo).find('/') != std::string::npos; });
    if (nested != allCases<Repo>().end()) {
        EXPECT_EQ(MLModelConfigurationUtils::defaultModelsDirectory(*nested), models / folderName(*nested));
    }
    EXPECT_FALSE(std::filesystem::exists(data.path() / "RazeziRuzer"));

    environment.set("XDG_DATA_HOME", "relative/folder"); // not absolute: the home fallback applies
    environment.set("HOME", data.path().string());
    EXPECT_EQ(MLModelConfigurationUtils::defaultModelsDirectory(),
              data.path() / ".local" / "share" / "RazeziRuzer" / "Models");
}

TEST(MLModelCompatPredictionTests, ReturnsTheModelsResultOrItsErrorUnchanged) {
    const auto description =
        MLModelDescription::make({MLFeatureDescription::multiArray("x", {2}, MLMultiArrayDataType::float32)},
                                 {MLFeatureDescription::multiArray("y", {2}, MLMultiArrayDataType::float32)});
    const MLModel model(std::make_shared<ScriptedModelBackend>(description, [](const MLFeatureProvider& inputs, MLState*) {
        const auto x = *inputs.featureValue("x")->multiArrayValue();
        const MLMultiArray y({2}, MLMultiArrayDataType::float32);
        y[0] = x[0] * 2.0;
        y[1] = x[1] * 2.0;
        return ScriptedModelBackend::Outputs{{"y", y}};
    }));
    const MLMultiArray x({2}, MLMultiArrayDataType::float32, 3.0);
    const auto output = compatPrediction(model, MLDictionaryFeatureProvider({{"x", x}}), {});
    EXPECT_EQ((*output.featureValue("y")->multiArrayValue())[1].doubleValue(), 6.0);

    const MLMultiArray wrongShape({3}, MLMultiArrayDataType::float32);
    EXPECT_THROW(compatPrediction(model, MLDictionaryFeatureProvider({{"x", wrongShape}}), {}), MLModelError);
}

} // namespace
} // namespace razeziruzer
