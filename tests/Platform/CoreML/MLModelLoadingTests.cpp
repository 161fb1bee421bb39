#include "Platform/CoreML/MLModel.hpp"
#include "Platform/CoreML/MLModelBackendRegistry.hpp"
#include "Platform/CoreML/MLModelError.hpp"
#include "Platform/CoreML/ScriptedModelBackend.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

namespace {

using namespace platform::coreml;

std::shared_ptr<ScriptedModelBackend> identityBackend() {
    auto description = MLModelDescription::make({MLFeatureDescription::multiArray("x", {2}, MLMultiArrayDataType::float32)},
                                                {MLFeatureDescription::multiArray("y", {2}, MLMultiArrayDataType::float32)});
    description.metadata.creatorDefinedKey = std::map<std::string, std::string>{{"config", "{}"}};
    return std::make_shared<ScriptedModelBackend>(description, [](const MLFeatureProvider& inputs, MLState*) {
        return ScriptedModelBackend::Outputs{{"y", *inputs.featureValue("x")}};
    });
}

MLModelError loadError(const std::filesystem::path& path) {
    try {
        MLModel::load(path);
    } catch (const MLModelError& error) {
        return error;
    }
    ADD_FAILURE() << "loading " << path << " succeeded";
    return MLModelError(MLModelErrorKind::generic, "");
}

class MLModelLoading : public ::testing::Test {
protected:
    testsupport::TemporaryDirectory folder;
    MLModelBackendRegistry& registry = MLModelBackendRegistry::shared();
};

TEST_F(MLModelLoading, BundleProblemsAreToldApartFromAMissingRuntime) {
    folder.write("plain.mlmodelc", "not a folder");
    folder.write("incomplete.mlmodelc/model.mil", "program");
    ScriptedModelBackend::writeCompiledModelFolder(folder / "sound.mlmodelc");
    // A backend for another model must not make these load.
    const auto other = registry.registerBackend(MLModelBackendRegistry::forFileName("other.mlmodelc"),
                                                [](const auto&, const auto&) { return identityBackend(); });

    struct Case {
        std::string name;
        MLModelErrorKind kind;
        std::string fragment;
    };
    for (const auto& c : {Case{"absent.mlmodelc", MLModelErrorKind::modelNotFound, "does not exist"},
                          Case{"plain.mlmodelc", MLModelErrorKind::damagedModel, "not a compiled model folder"},
                          Case{"incomplete.mlmodelc", MLModelErrorKind::damagedModel, "coremldata.bin is missing"},
                          Case{"sound.mlmodelc", MLModelErrorKind::noModelRuntime, "No model runtime is available"}}) {
        const auto error = loadError(folder / c.name);
        EXPECT_EQ(error.kind(), c.kind) << c.name;
        EXPECT_NE(error.description().find(c.fragment), std::string::npos) << error.description();
        EXPECT_NE(error.description().find(c.name), std::string::npos) << error.description();
    }
}

TEST_F(MLModelLoading, RegisteredBackendRunsTheModelWithItsConfiguration) {
    const auto path = folder / "joint.mlmodelc";
    ScriptedModelBackend::writeCompiledModelFolder(path);
    std::optional<MLModelConfiguration> seen;
    std::filesystem::path seenPath;
    const auto registration = registry.registerBackend(MLModelBackendRegistry::forPath(path),
                                                       [&](const auto& url, const auto& configuration) {
                                                           seenPath = url;
                                                           seen = configuration;
                                                           return identityBackend();
                                                       });
    MLModelConfiguration configuration;
    configuration.computeUnits = MLComputeUnits::cpuAndNeuralEngine;
    configuration.allowLowPrecisionAccumulationOnGPU = true;

    const auto model = MLModel::load(folder.path() / "." / "joint.mlmodelc" / "", configuration);
    EXPECT_EQ(seen, configuration);
    EXPECT_EQ(model.configuration(), configuration);
    EXPECT_EQ(model.modelDescription().inputDescriptionsByName.count("x"), 1u);
    EXPECT_EQ(model.modelDescription().metadata.creatorDefinedKey->at("config"), "{}");
    EXPECT_FALSE(seenPath.empty());
}

TEST_F(MLModelLoading, RegistrationEndsWithItsHandleAndTheLatestMatchWins) {
    const auto path = folder / "nested" / "decoder.mlmodelc";
    ScriptedModelBackend::writeCompiledModelFolder(path);
    int older = 0;
    int newer = 0;
    const auto byName = registry.registerBackend(MLModelBackendRegistry::forFileName("decoder.mlmodelc"),
                                                 [&](const auto&, const auto&) {
                                                     ++older;
                                                     return identityBackend();
                                                 });
    {
        const auto byPath = registry.registerBackend(MLModelBackendRegistry::forPath(path), [&](const auto&, const auto&) {
            ++newer;
            return identityBackend();
        });
        MLModel::load(path);
        EXPECT_EQ(newer, 1);
        EXPECT_EQ(older, 0);
    }
    MLModel::load(path);
    EXPECT_EQ(older, 1);

    auto moved = registry.registerBackend(MLModelBackendRegistry::forFileName("encoder.mlmodelc"),
                                          [](const auto&, const auto&) { return identityBackend(); });
    ScriptedModelBackend::writeCompiledModelFolder(folder / "encoder.mlmodelc");
    MLModelBackendRegistry::Registration keeper = std::move(moved);
    EXPECT_NO_THROW(MLModel::load(folder / "encoder.mlmodelc"));
    keeper.reset();
    EXPECT_EQ(loadError(folder / "encoder.mlmodelc").kind(), MLModelErrorKind::noModelRuntime);
}

TEST_F(MLModelLoading, FactoryThatDeclinesMeansNoRuntime) {
    ScriptedModelBackend::writeCompiledModelFolder(folder / "preprocessor.mlmodelc");
    const auto registration = registry.registerBackend(MLModelBackendRegistry::forFileName("preprocessor.mlmodelc"),
                                                       [](const auto&, const auto&) { return nullptr; });
    EXPECT_EQ(loadError(folder / "preprocessor.mlmodelc").kind(), MLModelErrorKind::noModelRuntime);
}

TEST_F(MLModelLoading, CompilingNeedsARegisteredCompiler) {
    folder.write("main.mlpackage/Manifest.json", "{}");
    const auto compileError = [](const std::filesystem::path& path) {
        try {
            MLModel::compileModel(path);
        } catch (const MLModelError& error) {
            return error.kind();
        }
        return MLModelErrorKind::generic;
    };
    EXPECT_EQ(compileError(folder / "absent.mlpackage"), MLModelErrorKind::modelNotFound);
    EXPECT_EQ(compileError(folder / "main.mlpackage"), MLModelErrorKind::noModelRuntime);

    const auto compiled = folder / "main.mlmodelc";
    const auto registration = registry.registerCompiler(MLModelBackendRegistry::forFileName("main.mlpackage"),
                                                        [&](const std::filesystem::path&) {
                                                            ScriptedModelBackend::writeCompiledModelFolder(compiled);
                                                            return compiled;
                                                        });
    EXPECT_EQ(MLModel::compileModel(folder / "main.mlpackage"), compiled);
    EXPECT_EQ(loadError(compiled).kind(), MLModelErrorKind::noModelRuntime);
}

} // namespace
