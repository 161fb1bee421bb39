#include "RazeziRuzer/DownloadUtils.hpp"

#include "Platform/CoreML/MLModelBackendRegistry.hpp"
#include "Platform/CoreML/MLModelError.hpp"
#include "Platform/CoreML/ScriptedModelBackend.hpp"
#include "Platform/Files/FileError.hpp"
#include "Platform/Http/HttpError.hpp"
#include "RazeziRuzer/DownloadRecord.hpp"
#include "RazeziRuzer/FileDigest.hpp"
#include "tests/RazeziRuzer/Download/HubFixture.hpp"

namespace razeziruzer::DownloadUtils {
namespace {

using downloadtest::directoryEntry;
using downloadtest::fileEntry;
using downloadtest::HubFixture;
using platform::coreml::MLModelBackendRegistry;
using platform::coreml::ScriptedModelBackend;

const std::string remote = "ZoviriVodovozav/diar-streaming-sortformer-coreml";
const std::string weights = "weights-of-the-model";
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

// A bundle missing a file gets that file; nothing already there is deleted.
TEST_F(LoadModelsTests, AHalfWrittenBundleGetsItsMissingFilesAndLosesNothing) {
    folder.write("models/sortformer/Model.mlmodelc/model.mil", "half written");
    folder.write("models/sortformer/notes.txt", "the user's");
    serveRepository();
    const auto loaded = load();

    EXPECT_EQ(loaded.size(), 1u);
    EXPECT_TRUE(log.contains("First load failed: Missing coremldata.bin in model: Model.mlmodelc"));
    EXPECT_EQ(folder.read("models/sortformer/notes.txt"), "the user's");
    EXPECT_EQ(folder.read("models/sortformer/Model.mlmodelc/model.mil"), "half written");
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

// A repository whose listing carries sizes and digests, as the hub's does:
// the git blob id for a small file, the content's SHA-256 for a large one.
class VerifiedLoadTests : public LoadModelsTests {
protected:
    VerifiedLoadTests() {
        registration = MLModelBackendRegistry::shared().registerBackend(
            MLModelBackendRegistry::forFileName(modelName), [this](const auto&, const auto&) {
                if (runtimeFailures > 0) {
                    --runtimeFailures;
                    throw platform::coreml::MLModelError(platform::coreml::MLModelErrorKind::damagedModel,
                                                         "model.mil, line 3: unknown value");
                }
                return std::make_shared<ScriptedModelBackend>(platform::coreml::MLModelDescription{},
                                                              std::vector<ScriptedModelBackend::Outputs>{});
            });
        auto data = fileEntry(modelName + "/coremldata.bin", 4);
        data["oid"] = gitBlobIdHex("data");
        auto weight = fileEntry(modelName + "/weights/weight.bin", static_cast<std::int64_t>(weights.size()));
        weight["oid"] = gitBlobIdHex("the pointer file, not the content");
        weight["lfs"] = {{"oid", sha256Hex(weights)}, {"size", weights.size()}};
        serveListing(remote, "tree/main", nlohmann::json::array({directoryEntry(modelName)}));
        serveListing(remote, "tree/main/" + modelName,
                     nlohmann::json::array({data, directoryEntry(modelName + "/weights")}));
        serveListing(remote, "tree/main/" + modelName + "/weights", nlohmann::json::array({weight}));
        serveFile(remote, modelName + "/coremldata.bin", "data");
        serveFile(remote, modelName + "/weights/weight.bin", weights);
    }

    // The names of the files fetched, from the `skipped`th request on.
    std::vector<std::string> fileRequests(std::size_t skipped = 0) const {
        std::vector<std::string> files;
        const auto paths = requestedPaths();
        for (auto path = paths.begin() + static_cast<std::ptrdiff_t>(skipped); path < paths.end(); ++path) {
            if (path->find("/resolve/") != std::string::npos) files.push_back(path->substr(path->rfind('/') + 1));
        }
        return files;
    }

    int runtimeFailures = 0;
};

TEST_F(VerifiedLoadTests, ADownloadIsRecordedAndOnlyTheRecordedFileThatChangedIsFetchedAgain) {
    load();
    const auto record = DownloadRecord::read(models() / "sortformer");
    ASSERT_TRUE(record);
    EXPECT_EQ(record->files().size(), 2u);
    EXPECT_EQ(record->files().at(modelName + "/weights/weight.bin").sha256, sha256Hex(weights));
    EXPECT_EQ(fileRequests(), (std::vector<std::string>{"coremldata.bin", "weight.bin"}));

    // The same size, other bytes: only the digest tells.
    folder.write("models/sortformer/Model.mlmodelc/weights/weight.bin", std::string(weights.size(), 'x'));
    folder.write("models/sortformer/notes.txt", "the user's");
    runtimeFailures = 1;
    const auto before = server.requests().size();
    load();

    EXPECT_EQ(fileRequests(before), std::vector<std::string>{"weight.bin"});
    EXPECT_EQ(folder.read("models/sortformer/Model.mlmodelc/weights/weight.bin"), weights);
    EXPECT_EQ(folder.read("models/sortformer/notes.txt"), "the user's");
    EXPECT_TRUE(log.contains("Deleted " + modelName + "/weights/weight.bin"));
}

// Files that match the hub's copy but use something the runtime reads
// wrongly are kept: every later load fails the same way without a download.
TEST_F(VerifiedLoadTests, IntactFilesTheRuntimeCannotReadAreKeptAndNotFetchedAgain) {
    load();
    const auto before = server.requests().size();
    for (int attempt = 0; attempt < 2; ++attempt) {
        runtimeFailures = 1000;
        try {
            std::rethrow_exception(loadFailure());
        } catch (const platform::coreml::MLModelError& error) {
            EXPECT_EQ(error.kind(), platform::coreml::MLModelErrorKind::damagedModel);
            EXPECT_EQ(error.description(), "model.mil, line 3: unknown value");
        }
    }
    EXPECT_EQ(server.requests().size(), before);
    EXPECT_EQ(folder.read("models/sortformer/Model.mlmodelc/weights/weight.bin"), weights);
    EXPECT_TRUE(log.contains("Keeping the model files at " + (models() / "sortformer").string() +
                             ": they match the downloaded copy, but they could not be loaded: model.mil, line 3"));
}

TEST_F(VerifiedLoadTests, AFolderPlacedByHandIsNeverDeleted) {
    folder.write("models/sortformer/Model.mlmodelc/coremldata.bin", "mine");
    folder.write("models/sortformer/Model.mlmodelc/weights/weight.bin", "my own weights");
    runtimeFailures = 1000;
    EXPECT_TRUE(loadFailure());
    EXPECT_TRUE(server.requests().empty());
    EXPECT_EQ(folder.read("models/sortformer/Model.mlmodelc/weights/weight.bin"), "my own weights");
    EXPECT_TRUE(log.contains("no download record vouches for them"));
}

// A file found in place is recorded only when it matches the listing, so
// one the user put there is never later taken for damage and deleted.
TEST_F(VerifiedLoadTests, OnlyFilesMatchingTheListingAreRecorded) {
    folder.write("models/sortformer/Model.mlmodelc/weights/weight.bin", "my own weights");
    downloadRepo(Repo::sortformer, models(), modelName);
    const auto record = DownloadRecord::read(models() / "sortformer");
    ASSERT_TRUE(record);
    EXPECT_EQ(record->files().size(), 1u);
    EXPECT_TRUE(record->files().contains(modelName + "/coremldata.bin"));
}

TEST_F(VerifiedLoadTests, AFetchedFileThatDiffersFromTheListingIsRefusedAndNotKept) {
    serveFile(remote, modelName + "/weights/weight.bin", std::string(weights.size(), 'x'));
    try {
        std::rethrow_exception(loadFailure());
    } catch (const HuggingFaceDownloadError& error) {
        EXPECT_EQ(error.kind(), HuggingFaceDownloadErrorKind::invalidResponse);
    }
    EXPECT_FALSE(std::filesystem::exists(models() / "sortformer" / modelName / "weights" / "weight.bin"));
    EXPECT_TRUE(log.contains("does not match the size and digest the hub lists"));
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
