#include "PelluxCore/ModelManager.hpp"

#include "Platform/CoreML/MLModel.hpp"
#include "Platform/CoreML/MLModelBackendRegistry.hpp"
#include "Platform/CoreML/MLModelError.hpp"
#include "Platform/CoreML/ScriptedModelBackend.hpp"
#include "tests/PelluxCore/ModelHubKit/Hub/TinyHub.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>

namespace pelluxcore {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using modelhubkit::testing::TinyHub;
using platform::coreml::MLModel;
using platform::coreml::MLModelBackendRegistry;
using platform::coreml::MLModelDescription;
using platform::coreml::ScriptedModelBackend;
using Change = std::pair<ModelState, ModelState>;
using enum ModelState;

// Fetches one named compiled model of a family through the downloader and
// loads it with the platform's model runtime.
class SingleModelLoader : public ModelLoader {
public:
    SingleModelLoader(ModelInfo info, std::string modelName) : info_(std::move(info)), modelName_(std::move(modelName)) {}

    std::optional<std::string> modelFolder() const override { return std::nullopt; }

    std::string resolveModels(const ModelDownloader& downloader, const modelhubkit::ProgressHandler&) override {
        const fs::path model =
            downloader.resolveModel(modelName_, info_, std::nullopt, std::nullopt, true, [this](ModelState state) {
                downloaderStates.push_back(state);
            });
        return model.parent_path().string();
    }

    void load(const std::string& from, bool prewarm) override {
        platform::coreml::MLModelConfiguration configuration;
        configuration.computeUnits = info_.computeUnits;
        MLModel loaded = MLModel::load(fs::path(from) / (modelName_ + ".mlmodelc"), configuration);
        // Prewarming specialises the model and lets it go again.
        if (!prewarm) model_.emplace(std::move(loaded));
    }

    void unload() noexcept override { model_.reset(); }

    bool isHoldingModel() const { return model_.has_value(); }

    std::vector<ModelState> downloaderStates;

private:
    ModelInfo info_;
    std::string modelName_;
    std::optional<MLModel> model_;
};

class ModelManagerWithHub : public ::testing::Test {
protected:
    ModelManagerWithHub() {
        hub.setFile("whisper/v1/base/Encoder.mlmodelc/coremldata.bin", "compiled");
        hub.setFile("whisper/v1/base/Decoder.mlmodelc/coremldata.bin", "compiled");
        hub.setFile("whisper/v2/base/Encoder.mlmodelc/coremldata.bin", "compiled");
    }

    std::shared_ptr<ModelDownloader> downloader() const {
        return std::make_shared<ModelDownloader>(
            ModelDownloadConfig{base.path().string(), TinyHub::repoId, std::string(), std::nullopt, false,
                                hub.endpoint(), "main"},
            modelhubkit::HubApi::Services{nullptr, hub.network});
    }

    std::unique_ptr<ModelManager> managerFor(const std::shared_ptr<SingleModelLoader>& loader) {
        auto manager = std::make_unique<ModelManager>(loader, downloader());
        manager->setModelStateCallback([this](ModelState from, ModelState to) { changes.emplace_back(from, to); });
        return manager;
    }

    TinyHub hub;
    testsupport::TemporaryDirectory base;
    std::vector<Change> changes;
    std::atomic<int> backendsMade = 0;
    MLModelBackendRegistry::Registration encoderBackend = MLModelBackendRegistry::shared().registerBackend(
        MLModelBackendRegistry::forFileName("Encoder.mlmodelc"), [this](const fs::path&, const auto&) {
            ++backendsMade;
            return std::make_shared<ScriptedModelBackend>(MLModelDescription::make({}, {}),
                                                          ScriptedModelBackend::Script{});
        });
};

TEST_F(ModelManagerWithHub, DownloadsPrewarmsAndLoadsAScriptedModelFromTheHub) {
    const auto loader = std::make_shared<SingleModelLoader>(
        ModelInfo{"v1", "base", "whisper", platform::coreml::MLComputeUnits::cpuOnly}, "Encoder");
    const auto manager = managerFor(loader);

    manager->prewarmModels();
    manager->ensureModelsLoaded();

    EXPECT_THAT(changes, ElementsAre(Change{unloaded, downloading}, Change{downloading, downloaded},
                                     Change{downloaded, prewarming}, Change{prewarming, prewarmed},
                                     Change{prewarmed, loading}, Change{loading, loaded}));
    EXPECT_THAT(loader->downloaderStates, ElementsAre(downloading, downloaded));
    EXPECT_EQ(manager->modelPath(), base.path() / "models/owner/tiny/whisper/v1/base");
    EXPECT_EQ(backendsMade, 2);
    EXPECT_TRUE(loader->isHoldingModel());
    EXPECT_THAT(hub.fileDownloads(), ElementsAre("whisper/v1/base/Decoder.mlmodelc/coremldata.bin",
                                                 "whisper/v1/base/Encoder.mlmodelc/coremldata.bin"));

    manager->unloadModels();
    EXPECT_FALSE(loader->isHoldingModel());
    // The second time the model comes from the cache.
    manager->ensureModelsLoaded();
    EXPECT_THAT(loader->downloaderStates, ElementsAre(downloading, downloaded, downloaded));
    EXPECT_EQ(hub.fileDownloads().size(), 2u);
}

TEST_F(ModelManagerWithHub, AModelWithoutARuntimeFailsToLoadAndLeavesTheManagerUnloaded) {
    const auto loader = std::make_shared<SingleModelLoader>(
        ModelInfo{"v1", "base", "whisper", platform::coreml::MLComputeUnits::all}, "Decoder");
    const auto manager = managerFor(loader);

    EXPECT_THROW(manager->ensureModelsLoaded(), platform::coreml::MLModelError);
    EXPECT_EQ(manager->modelState(), unloaded);
    EXPECT_FALSE(loader->isHoldingModel());
    EXPECT_TRUE(fs::exists(base.path() / "models/owner/tiny/whisper/v1/base/Decoder.mlmodelc/coremldata.bin"));
}

} // namespace
} // namespace pelluxcore
