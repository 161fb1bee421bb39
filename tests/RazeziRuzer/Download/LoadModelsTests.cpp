#include "RazeziRuzer/DownloadUtils.hpp"

#include "Platform/CoreML/MLModelBackendRegistry.hpp"
#include "Platform/CoreML/MLModelError.hpp"
#include "Platform/CoreML/ScriptedModelBackend.hpp"
#include "Platform/Files/FileError.hpp"
#include "Platform/Http/HttpError.hpp"
#include "tests/RazeziRuzer/Download/HubFixture.hpp"

namespace razeziruzer::DownloadUtils {
namespace {

using downloadtest::directoryEntry;
using downloadtest::fileEntry;
using downloadtest::HubFixture;
using platform::coreml::MLModelBackendRegistry;
using platform::coreml::ScriptedModelBackend;

const std::string remote = "ZoviriVodovozav/diar-streaming-sortformer-coreml";
const std::string modelName = "Model.mlmodelc";

class LoadModelsTests : public HubFixture {
protected:
    LoadModelsTests()
        : registration(MLModelBackendRegistry::shared().registerBackend(
              MLModelBackendRegistry::forFileName(modelName), [](const auto&, const auto&) {
                  return std::make_shared<ScriptedModelBackend>(platform::coreml::MLModelDescription{},
                                                                std::vector<ScriptedModelBackend::Outputs>{});
              })) {}

    std::filesystem::path models() const { return folder / "models"; }
    std::filesystem::path bundle() const { return models() / "sortformer" / modelName; }

    void serveRepository() {
        serveListing(remote, "tree/main", nlohmann::json::array({directoryEntry(modelName)}));
        serveListing(remote, "tree/main/" + modelName,
                     nlohmann::json::array({fileEntry(modelName + "/coremldata.bin", 4)}));
        serveFile(remote, modelName + "/coremldata.bin", "data");
    }

    LoadedModels load(std::vector<DownloadProgress>* progress = nullptr) {
        ProgressHandler handler;
        if (progress) handler = [progress](const DownloadProgress& p) { progress->push_back(p); };
        return loadModels(Repo::sortformer, {modelName}, models(), platform::coreml::MLComputeUnits::cpuOnly, modelName,
                          handler);
    }

    std::exception_ptr loadFailure() {
        try {
            load();
        } catch (...) {
            return std::current_exception();
        }
        ADD_FAILURE() << "expected the load to fail";
        return nullptr;
    }

    MLModelBackendRegistry::Registration registration;
};

TEST_F(LoadModelsTests, ACompleteCacheLoadsWithoutTheNetwork) {
    ScriptedModelBackend::writeCompiledModelFolder(bundle());
    std::vector<DownloadProgress> progress;
    const auto loaded = load(&progress);

    EXPECT_EQ(loaded.size(), 1u);
    EXPECT_EQ(loaded.at(modelName).configuration().computeUnits, platform::coreml::MLComputeUnits::cpuOnly);
    EXPECT_TRUE(loaded.at(modelName).configuration().allowLowPrecisionAccumulationOnGPU);
    EXPECT_TRUE(server.requests().empty());
    const std::vector<DownloadProgress> expected{{0.5, DownloadPhase::downloading(0, 0)},
                                                 {0.5, DownloadPhase::compiling(modelName)},
                                                 {1.0, DownloadPhase::compiling("")}};
    EXPECT_EQ(progress, expected);
    EXPECT_TRUE(log.contains("Found sortformer locally, no download needed"));
}

TEST_F(LoadModelsTests, ADamagedBundleIsDeletedFetchedAgainAndLoaded) {
    folder.write("models/sortformer/Model.mlmodelc/model.mil", "half written");
    folder.write("models/sortformer/stale.txt", "old");
    serveRepository();
    const auto loaded = load();

    EXPECT_EQ(loaded.size(), 1u);
    EXPECT_TRUE(log.contains("First load failed: Missing coremldata.bin in model: Model.mlmodelc"));
    EXPECT_TRUE(log.contains("Successfully deleted corrupted cache at " + (models() / "sortformer").string()));
    EXPECT_FALSE(std::filesystem::exists(models() / "sortformer" / "stale.txt"));
    EXPECT_EQ(folder.read("models/sortformer/Model.mlmodelc/coremldata.bin"), "data");
}

TEST_F(LoadModelsTests, TheSecondAttemptsErrorIsTheOneReturned) {
    folder.write("models/sortformer/Model.mlmodelc", "a plain file");
    serveListing(remote, "tree/main", nlohmann::json::array({directoryEntry(modelName)}));
    serveListing(remote, "tree/main/" + modelName, nlohmann::json::array({fileEntry(modelName + "/coremldata.bin", 4)}));
    serveFile(remote, modelName + "/coremldata.bin", "gone", 404);
    try {
        std::rethrow_exception(loadFailure());
    } catch (const HuggingFaceDownloadError& error) {
        EXPECT_EQ(error.kind(), HuggingFaceDownloadErrorKind::downloadFailed);
        EXPECT_EQ(error.underlying().code(), 404);
    }
    EXPECT_TRUE(log.contains("First load failed: Model path is not a directory: Model.mlmodelc"));
}

TEST_F(LoadModelsTests, AModelWithoutARuntimeHereKeepsItsCache) {
    registration.reset();
    ScriptedModelBackend::writeCompiledModelFolder(bundle());
    try {
        std::rethrow_exception(loadFailure());
    } catch (const platform::coreml::MLModelError& error) {
        EXPECT_EQ(error.kind(), platform::coreml::MLModelErrorKind::noModelRuntime);
    }
    EXPECT_TRUE(std::filesystem::exists(bundle() / "coremldata.bin"));
    EXPECT_TRUE(server.requests().empty());
}

TEST_F(LoadModelsTests, AnUnreachableHubKeepsTheFilesAlreadyCached) {
    environment.set("REGISTRY_URL", "http://127.0.0.1:" + std::to_string(testsupport::HttpTestServer::unusedPort()));
    folder.write("models/sortformer/partial.bin", "kept");
    try {
        std::rethrow_exception(loadFailure());
    } catch (const platform::HttpError& error) {
        EXPECT_EQ(error.kind(), platform::HttpErrorKind::cannotConnect);
    }
    EXPECT_EQ(folder.read("models/sortformer/partial.bin"), "kept");
    EXPECT_FALSE(log.contains("Deleting cache"));
}

TEST_F(LoadModelsTests, OfflineWithMissingFilesNamesThemAndDeletesNothing) {
    enforceOffline = true;
    folder.write("models/sortformer/partial.bin", "kept");
    const auto failure = loadFailure();
    try {
        loadModels(Repo::sortformer, {"Z.mlmodelc", "A.mlmodelc"}, models(), platform::coreml::MLComputeUnits::all,
                   modelName);
        FAIL() << "expected the offline error";
    } catch (const OfflineError& error) {
        EXPECT_EQ(error.kind(), OfflineErrorKind::modelMissing);
        EXPECT_EQ(error.missing(), (std::vector<std::string>{"A.mlmodelc", "Model.mlmodelc", "Z.mlmodelc"}));
        EXPECT_EQ(error.description(), "RazeziRuzer offline mode: required models missing for sortformer: "
                                       "A.mlmodelc, Model.mlmodelc, Z.mlmodelc");
    }
    EXPECT_TRUE(log.contains("Offline mode: load failed and re-download blocked. "));
    EXPECT_EQ(folder.read("models/sortformer/partial.bin"), "kept");
    EXPECT_TRUE(server.requests().empty());
    EXPECT_TRUE(failure);
}

TEST_F(LoadModelsTests, ClearingCachesRemovesOnlyThePackageFolders) {
    folder.write("models/sortformer/x", "x");
    folder.write("models/vad-keep/x", "x");
    clearModelCache(Repo::sortformer, models());
    clearModelCache(Repo::sortformer, models());
    EXPECT_FALSE(std::filesystem::exists(models() / "sortformer"));
    EXPECT_TRUE(std::filesystem::exists(models() / "vad-keep" / "x"));

    folder.write("data/RazeziRuzer/Models/a/b", "x");
    folder.write("data/RazeziRuzer/keep", "x");
    folder.write("home/.cache/razeziruzer/c", "x");
    clearAllModelCaches();
    EXPECT_FALSE(std::filesystem::exists(folder / "data/RazeziRuzer/Models"));
    EXPECT_FALSE(std::filesystem::exists(folder / "home/.cache/razeziruzer"));
    EXPECT_TRUE(std::filesystem::exists(folder / "data/RazeziRuzer/keep"));
    clearAllModelCaches();
    EXPECT_TRUE(log.contains("All model caches cleared"));
}

} // namespace
} // namespace razeziruzer::DownloadUtils
