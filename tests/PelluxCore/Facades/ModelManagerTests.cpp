#include "PelluxCore/ModelManager.hpp"

#include "PelluxCore/PelluxCoreError.hpp"
#include "tests/PelluxCore/Facades/CapturedLog.hpp"
#include "tests/PelluxCore/Facades/FakeModelLoader.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <future>
#include <latch>
#include <thread>

namespace pelluxcore {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing::CapturedLog;
using testing::FakeModelLoader;
using testing::Gate;
using Change = std::pair<ModelState, ModelState>;
using enum ModelState;

constexpr const char* noPath = "No model path available. Call downloadModels() first, or provide modelFolder.";

std::shared_ptr<ModelDownloader> unusedDownloader() {
    return std::make_shared<ModelDownloader>("http://127.0.0.1:9", "owner/tiny", std::string(), "main", false);
}

std::string refusal(const std::function<void()>& action) {
    try {
        action();
    } catch (const PelluxCoreError& error) {
        EXPECT_EQ(error.kind(), PelluxCoreErrorKind::invalidConfiguration);
        return error.message();
    }
    ADD_FAILURE() << "no PelluxCoreError";
    return {};
}

struct Failure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class ModelManagerTest : public ::testing::Test {
protected:
    std::unique_ptr<ModelManager> managerFor(std::shared_ptr<FakeModelLoader> fake) {
        auto made = std::make_unique<ModelManager>(std::move(fake), unusedDownloader());
        made->setModelStateCallback([this](ModelState oldState, ModelState newState) {
            std::lock_guard lock(mutex);
            changes.emplace_back(oldState, newState);
        });
        return made;
    }
    std::vector<Change> takeChanges() {
        std::lock_guard lock(mutex);
        return std::exchange(changes, {});
    }

    std::shared_ptr<FakeModelLoader> loader = std::make_shared<FakeModelLoader>();
    std::mutex mutex;
    std::vector<Change> changes;
};

TEST_F(ModelManagerTest, WalksDownloadPrewarmLoadAndUnload) {
    const CapturedLog log;
    const auto manager = managerFor(loader);

    manager->downloadModels();
    EXPECT_THAT(takeChanges(), ElementsAre(Change{unloaded, downloading}, Change{downloading, downloaded}));
    EXPECT_EQ(manager->modelPath(), std::filesystem::path("/models/resolved"));
    manager->prewarmModels();
    EXPECT_THAT(takeChanges(), ElementsAre(Change{downloaded, prewarming}, Change{prewarming, prewarmed}));
    manager->loadModels();
    EXPECT_THAT(takeChanges(), ElementsAre(Change{prewarmed, loading}, Change{loading, loaded}));
    EXPECT_TRUE(manager->isLoaded());
    manager->unloadModels();
    EXPECT_THAT(takeChanges(), ElementsAre(Change{loaded, unloading}, Change{unloading, unloaded}));
    EXPECT_EQ(loader->unloadCalls(), 1);
    EXPECT_EQ(manager->modelPath(), std::filesystem::path("/models/resolved"));

    // Unloaded again, so the next load resolves the models first once more.
    manager->loadModels();
    EXPECT_EQ(loader->resolveCalls(), 2);
    EXPECT_THAT(loader->loads(), ElementsAre(std::pair{std::string("/models/resolved"), true},
                                             std::pair{std::string("/models/resolved"), false},
                                             std::pair{std::string("/models/resolved"), false}));
    EXPECT_TRUE(log.contains("[ModelManager] Starting download process..."));
    EXPECT_TRUE(log.contains("[ModelManager] Models downloaded to /models/resolved"));
    EXPECT_TRUE(log.contains("[ModelManager] Models prewarmed successfully"));
    EXPECT_TRUE(log.contains("[ModelManager] Models loaded successfully"));
}

TEST_F(ModelManagerTest, ALoaderWithAFolderIsNeverAskedToResolve) {
    const CapturedLog log;
    const auto withFolder = std::make_shared<FakeModelLoader>("/models/local");
    const auto manager = managerFor(withFolder);
    EXPECT_EQ(manager->modelFolder(), std::filesystem::path("/models/local"));

    manager->ensureModelsLoaded();
    EXPECT_THAT(takeChanges(),
                ElementsAre(Change{unloaded, downloaded}, Change{downloaded, loading}, Change{loading, loaded}));
    EXPECT_EQ(withFolder->resolveCalls(), 0);
    EXPECT_EQ(manager->modelPath(), std::filesystem::path("/models/local"));
    EXPECT_THAT(withFolder->loads(), ElementsAre(std::pair{std::string("/models/local"), false}));
    EXPECT_TRUE(log.contains("[ModelManager] modelFolder is set, skipping download"));
}

TEST_F(ModelManagerTest, AFailingStepFallsBackToUnloadedAndPassesItsErrorOn) {
    struct Case {
        const char* name;
        std::function<void(ModelManager&)> step;
        bool failResolve;
        std::vector<Change> expected;
        std::string logLine;
    };
    const std::vector<Case> cases = {
        {"download", [](ModelManager& m) { m.downloadModels(); }, true,
         {{unloaded, downloading}, {downloading, unloaded}}, "[ModelManager] Failed to download models: boom"},
        {"prewarm", [](ModelManager& m) { m.prewarmModels(); }, false,
         {{unloaded, downloading}, {downloading, downloaded}, {downloaded, prewarming}, {prewarming, unloaded}},
         "[ModelManager] Failed to prewarm models: boom"},
        {"load", [](ModelManager& m) { m.loadModels(); }, false,
         {{unloaded, downloading}, {downloading, downloaded}, {downloaded, loading}, {loading, unloaded}},
         "[ModelManager] Failed to load models: boom"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const CapturedLog log;
        const auto failing = std::make_shared<FakeModelLoader>();
        (c.failResolve ? failing->onResolve : failing->onLoad) = [] { throw Failure("boom"); };
        const auto manager = managerFor(failing);

        EXPECT_THROW(c.step(*manager), Failure);
        EXPECT_EQ(takeChanges(), c.expected);
        EXPECT_TRUE(log.contains(c.logLine));
    }
}

TEST_F(ModelManagerTest, RefusesStepsThatDoNotFitTheStateWithoutChangingIt) {
    const auto withFolder = std::make_shared<FakeModelLoader>("/models/local");
    const auto manager = managerFor(withFolder);
    for (const ModelState state : {unloading, loading, prewarming, downloading}) {
        SCOPED_TRACE(description(state));
        manager->setModelState(state);
        takeChanges();
        const CapturedLog log;
        EXPECT_EQ(refusal([&] { manager->loadModels(); }), "Cannot load in state: " + description(state));
        EXPECT_EQ(refusal([&] { manager->prewarmModels(); }), "Cannot prewarm in state: " + description(state));
        EXPECT_EQ(manager->modelState(), state);
        EXPECT_THAT(takeChanges(), IsEmpty());
        EXPECT_THAT(log.lines(), IsEmpty());
    }
    EXPECT_THAT(withFolder->loads(), IsEmpty());
}

TEST_F(ModelManagerTest, PrewarmOfLoadedModelsIsRefusedWhileLoadOfPrewarmedOnesGoesOn) {
    const auto manager = managerFor(loader);
    manager->loadModels();
    EXPECT_EQ(refusal([&] { manager->prewarmModels(); }), "Cannot prewarm in state: Loaded");
    EXPECT_TRUE(manager->isLoaded());

    manager->unloadModels();
    manager->prewarmModels();
    manager->loadModels();
    EXPECT_TRUE(manager->isLoaded());
}

TEST_F(ModelManagerTest, AStateWrittenByACallerWithoutAPathStillNeedsOne) {
    const auto manager = managerFor(loader);
    manager->setModelState(loaded);
    EXPECT_EQ(refusal([&] { manager->loadModels(); }), noPath);
    manager->setModelState(downloaded);
    EXPECT_EQ(refusal([&] { manager->prewarmModels(); }), noPath);
    EXPECT_THAT(loader->loads(), IsEmpty());
}

TEST_F(ModelManagerTest, SkipsWhatIsAlreadyDone) {
    const CapturedLog log;
    const auto withFolder = std::make_shared<FakeModelLoader>("/models/local");
    const auto manager = managerFor(withFolder);

    manager->setModelState(downloaded);
    manager->unloadModels();
    manager->setModelState(prewarmed);
    manager->prewarmModels();
    manager->downloadModels();
    manager->setModelState(loaded);
    manager->loadModels();

    EXPECT_EQ(withFolder->unloadCalls(), 0);
    EXPECT_THAT(withFolder->loads(), IsEmpty());
    EXPECT_TRUE(log.contains("[ModelManager] Models already prewarmed, skipping"));
    EXPECT_TRUE(log.contains("[ModelManager] Models already downloaded (state: Specialized), skipping download"));
    EXPECT_TRUE(log.contains("[ModelManager] Models already loaded, skipping"));
}

TEST_F(ModelManagerTest, TheSetterReportsEveryChangeOnceAndNoRepeats) {
    const auto manager = managerFor(loader);
    manager->setModelState(unloaded);
    manager->setModelState(downloaded);
    manager->setModelState(downloaded);
    manager->setModelState(loaded);
    EXPECT_THAT(takeChanges(), ElementsAre(Change{unloaded, downloaded}, Change{downloaded, loaded}));
}

TEST_F(ModelManagerTest, AvailableWhileLoadingLoadedOrDownloaded) {
    const auto manager = managerFor(loader);
    for (const ModelState state : {unloading, unloaded, loading, loaded, prewarming, prewarmed, downloading,
                                   downloaded}) {
        SCOPED_TRACE(description(state));
        manager->setModelState(state);
        EXPECT_EQ(manager->isAvailable(), state == loading || state == loaded || state == downloaded);
        EXPECT_EQ(manager->isLoaded(), state == loaded);
    }
}

TEST_F(ModelManagerTest, ConcurrentEnsureCallsShareOneDownloadAndOneLoad) {
    Gate gate;
    std::latch resolving(1);
    loader->onResolve = [&] {
        resolving.count_down();
        gate.wait();
    };
    const auto manager = managerFor(loader);

    auto first = std::async(std::launch::async, [&] { manager->ensureModelsLoaded(); });
    resolving.wait();
    auto second = std::async(std::launch::async, [&] { manager->ensureModelsLoaded(); });
    auto third = std::async(std::launch::async, [&] { manager->ensureModelsLoaded(); });
    gate.open();
    for (auto* caller : {&first, &second, &third}) {
        caller->get();
    }

    EXPECT_TRUE(manager->isLoaded());
    EXPECT_EQ(loader->resolveCalls(), 1);
    EXPECT_EQ(loader->loads().size(), 1u);
    manager->ensureModelsLoaded();
    EXPECT_EQ(loader->loads().size(), 1u);
}

TEST_F(ModelManagerTest, AfterAFailedEnsureTheNextCallStartsAgain) {
    int attempts = 0;
    loader->onResolve = [&] {
        if (++attempts == 1) throw Failure("offline");
    };
    const auto manager = managerFor(loader);
    EXPECT_THROW(manager->ensureModelsLoaded(), Failure);
    EXPECT_EQ(manager->modelState(), unloaded);
    manager->ensureModelsLoaded();
    EXPECT_TRUE(manager->isLoaded());
    EXPECT_EQ(loader->resolveCalls(), 2);
}

TEST_F(ModelManagerTest, EnsureOnPrewarmedModelsSkipsTheDownloadAndLoads) {
    const CapturedLog log;
    const auto manager = managerFor(loader);
    manager->prewarmModels();
    manager->ensureModelsLoaded();
    EXPECT_TRUE(manager->isLoaded());
    EXPECT_EQ(loader->resolveCalls(), 1);
    EXPECT_TRUE(log.contains("[ModelManager] Models already downloaded (state: Specialized), skipping download"));
}

TEST_F(ModelManagerTest, EnsureDuringADirectDownloadFindsNoPathYet) {
    Gate gate;
    std::latch resolving(1);
    loader->onResolve = [&] {
        resolving.count_down();
        gate.wait();
    };
    const auto manager = managerFor(loader);
    auto download = std::async(std::launch::async, [&] { manager->downloadModels(); });
    resolving.wait();

    EXPECT_EQ(refusal([&] { manager->ensureModelsLoaded(); }), noPath);
    gate.open();
    download.get();
    EXPECT_EQ(manager->modelState(), downloaded);
}

class SpeechModels : public ModelManager {
public:
    using ModelManager::ModelManager;
};

TEST_F(ModelManagerTest, ASubclassLogsUnderItsOwnName) {
    const CapturedLog log;
    SpeechModels manager(loader, unusedDownloader());
    EXPECT_EQ(manager.loggerName(), "SpeechModels");
    manager.loadModels();
    EXPECT_TRUE(manager.isLoaded());
    EXPECT_TRUE(log.contains("[SpeechModels] Models loaded successfully"));
    EXPECT_EQ(managerFor(loader)->loggerName(), "ModelManager");
}

} // namespace
} // namespace pelluxcore
