#include "OstrelVirorez/Engines/EngineError.hpp"
#include "OstrelVirorez/Engines/EngineManager.hpp"
#include "OstrelVirorez/Engines/TranscriptionEngine.hpp"
#include "Platform/Audio/PCMBuffer.hpp"
#include "Platform/Concurrency/ManualMainQueue.hpp"
#include "Platform/Core/Logger.hpp"
#include "tests/OstrelVirorez/Engines/ScriptedEngine.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <future>

namespace {

using namespace ostrelvirorez;
using enginetest::ScriptedEngineFactory;
using Events = std::vector<std::string>;

platform::audio::PCMBuffer recording(std::uint32_t frames) {
    auto buffer = platform::audio::PCMBuffer::make(platform::audio::AudioFormat::standard(), frames);
    buffer->setFrameLength(frames);
    return std::move(*buffer);
}

// The description of what `action` throws; empty when it throws nothing.
std::string thrownDescription(const std::function<void()>& action) {
    try {
        action();
    } catch (const std::exception& error) {
        return error.what();
    }
    return {};
}

class EngineManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        connections.push_back(manager.statusChanged().connect(
            [this](const EngineStatus& status) { statuses.push_back(describe(status)); }));
        connections.push_back(
            manager.isLoadingChanged().connect([this](const bool& loading) { loadingFlags.push_back(loading); }));
        connections.push_back(manager.currentTypeChanged().connect(
            [this](const std::optional<EngineType>& type) { types.push_back(type); }));
    }

    std::future<void> startLoad(EngineType type) {
        return std::async(std::launch::async, [this, type] { manager.loadEngine(type); });
    }
    std::future<void> startEnsure(EngineType type) {
        return std::async(std::launch::async, [this, type] { manager.ensureLoaded(type); });
    }
    // Starts a load of `type`, whose script holds it, and returns once it is inside load().
    std::shared_ptr<enginetest::ScriptedEngine> enterHeldLoad(EngineType type) {
        auto engine = engines.waitForEngine(type);
        engine->waitUntilLoadStarts();
        return engine;
    }
    // Who transcribed a short recording, or why nobody did; never throws, so
    // a held load is still released when the check fails.
    std::string transcriber() {
        std::string text;
        const auto failure = thrownDescription([&] { text = manager.transcribe(recording(8), std::nullopt).text; });
        return failure.empty() ? text : failure;
    }
    std::string currentName() const {
        const auto engine = manager.currentEngine();
        return engine ? engine->name() : "";
    }
    Events publishedStatuses() {
        queue.runUntilIdle();
        return statuses;
    }

    platform::ManualMainQueue queue;
    ScriptedEngineFactory engines;
    EngineManager manager{queue, engines.factory()};
    std::vector<platform::Connection> connections;
    Events statuses;
    std::vector<bool> loadingFlags;
    std::vector<std::optional<EngineType>> types;
};

TEST_F(EngineManagerTest, FreshManagerIsIdleWithoutEngineAndRefusesToTranscribe) {
    EXPECT_EQ(manager.status(), EngineStatus::idle());
    EXPECT_EQ(manager.currentEngine(), nullptr);
    EXPECT_EQ(manager.currentType(), std::nullopt);
    EXPECT_FALSE(manager.isLoading());
    EXPECT_EQ(thrownDescription([&] { manager.transcribe(recording(16), std::nullopt); }), "Engine not loaded");
}

TEST_F(EngineManagerTest, LoadPublishesDownloadingLoadingReadyAndNamesTheTypeOnlyWhenReady) {
    platform::ScopedLogCapture logs;
    engines.scripts[EngineType::parakeet].heldLoads = 1;
    auto load = startLoad(EngineType::parakeet);
    const auto engine = enterHeldLoad(EngineType::parakeet);

    EXPECT_TRUE(manager.isLoading());
    EXPECT_EQ(manager.status(), EngineStatus::loading());
    EXPECT_EQ(manager.currentType(), std::nullopt);
    EXPECT_EQ(manager.currentEngine(), nullptr);

    engine->release();
    load.get();
    EXPECT_FALSE(manager.isLoading());
    EXPECT_EQ(manager.status(), EngineStatus::ready());
    EXPECT_EQ(manager.currentType(), EngineType::parakeet);
    EXPECT_EQ(manager.currentEngine(), engine);
    EXPECT_EQ(publishedStatuses(), (Events{"downloading", "loading", "ready"}));
    EXPECT_EQ(loadingFlags, (std::vector<bool>{true, false}));
    EXPECT_EQ(types, (std::vector<std::optional<EngineType>>{EngineType::parakeet}));
    EXPECT_TRUE(logs.contains("Engine loaded: parakeet#1"));
}

TEST_F(EngineManagerTest, LoadingAnotherEngineUnloadsTheFirstBeforeAndHasNoCurrentEngineMeanwhile) {
    manager.loadEngine(EngineType::parakeet);
    engines.scripts[EngineType::hushframe].heldLoads = 1;
    auto load = startLoad(EngineType::hushframe);
    const auto engine = enterHeldLoad(EngineType::hushframe);

    EXPECT_EQ(manager.currentEngine(), nullptr);
    EXPECT_EQ(manager.currentType(), std::nullopt);
    EXPECT_FALSE(engines.engine(EngineType::parakeet)->isLoaded());

    engine->release();
    load.get();
    EXPECT_EQ(currentName(), "hushframe#1");
    EXPECT_EQ(engines.log->events(), (Events{"parakeet#1 load begins", "parakeet#1 load ends", "parakeet#1 unload",
                                             "hushframe#1 load begins", "hushframe#1 load ends"}));
    queue.runUntilIdle();
    EXPECT_EQ(types, (std::vector<std::optional<EngineType>>{EngineType::parakeet, std::nullopt,
                                                             EngineType::hushframe}));
}

TEST_F(EngineManagerTest, FailedLoadPublishesTheErrorTextLeavesNoEngineAndRethrows) {
    struct Case {
        std::exception_ptr failure;
        std::string text;
    };
    const Case cases[] = {
        {std::make_exception_ptr(EngineError::unavailable("kaputt")), "Engine unavailable: kaputt"},
        {std::make_exception_ptr(EngineError::modelLoadFailed("no file")), "Model loading failed: no file"},
        {std::make_exception_ptr(platform::Error("Nemotron int8 streaming models require Apple Silicon (ANE). "
                                                 "Intel Macs are not supported.")),
         "Nemotron int8 streaming models require Apple Silicon (ANE). Intel Macs are not supported."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        manager.loadEngine(EngineType::parakeet);
        engines.scripts[EngineType::nemotron].loadFailure = c.failure;

        EXPECT_EQ(thrownDescription([&] { manager.loadEngine(EngineType::nemotron); }), c.text);
        EXPECT_FALSE(manager.isLoading());
        EXPECT_EQ(manager.status(), EngineStatus::error(c.text));
        EXPECT_EQ(manager.currentEngine(), nullptr);
        EXPECT_EQ(manager.currentType(), std::nullopt);
        EXPECT_EQ(thrownDescription([&] { manager.transcribe(recording(16), "de"); }), "Engine not loaded");
    }
}

TEST_F(EngineManagerTest, EnsureLoadedKeepsALoadedEngineOfTheTypeAndReplacesOneThatIsNoLongerLoaded) {
    manager.loadEngine(EngineType::parakeet);
    manager.ensureLoaded(EngineType::parakeet);
    EXPECT_EQ(engines.madeCount(), 1u);
    EXPECT_EQ(engines.log->events(), (Events{"parakeet#1 load begins", "parakeet#1 load ends"}));

    engines.engine(EngineType::parakeet)->setLoaded(false);
    manager.ensureLoaded(EngineType::parakeet);
    EXPECT_EQ(currentName(), "parakeet#2");
    EXPECT_TRUE(manager.currentEngine()->isLoaded());
    EXPECT_EQ(engines.log->events().back(), "parakeet#1 unload");
}

TEST_F(EngineManagerTest, TranscribeHandsTheRecordingToTheCurrentEngineAndPassesResultsAndErrorsOn) {
    manager.loadEngine(EngineType::parakeet);
    EXPECT_EQ(manager.transcribe(recording(32), "fr"),
              (TranscriptionResult{"parakeet#1 heard 32 frames", "fr", 0.5f, 1.25, std::nullopt}));

    engines.scripts[EngineType::hushframe].transcribeFailure =
        std::make_exception_ptr(EngineError::transcriptionFailed("decoder"));
    manager.loadEngine(EngineType::hushframe);
    EXPECT_EQ(thrownDescription([&] { manager.transcribe(recording(32), std::nullopt); }),
              "Transcription failed: decoder");
    EXPECT_EQ(manager.status(), EngineStatus::ready());
}

// A profile's engine is loaded beside the current one, which keeps serving
// until the wanted engine is ready and is only then unloaded.
TEST_F(EngineManagerTest, ProfileSwitchKeepsTheCurrentEngineUntilTheWantedOneIsReady) {
    manager.loadEngine(EngineType::parakeet);
    engines.scripts[EngineType::nemotron].heldLoads = 1;
    auto load = startEnsure(EngineType::nemotron);
    const auto wanted = enterHeldLoad(EngineType::nemotron);

    EXPECT_TRUE(manager.isLoading());
    EXPECT_EQ(manager.currentType(), EngineType::parakeet);
    EXPECT_EQ(transcriber(), "parakeet#1 heard 8 frames");

    wanted->release();
    load.get();
    EXPECT_EQ(manager.currentType(), EngineType::nemotron);
    EXPECT_EQ(transcriber(), "nemotron#1 heard 8 frames");
    EXPECT_EQ(engines.log->events(), (Events{"parakeet#1 load begins", "parakeet#1 load ends",
                                             "nemotron#1 load begins", "nemotron#1 load ends", "parakeet#1 unload"}));
    EXPECT_EQ(publishedStatuses(), (Events{"downloading", "loading", "ready", "downloading", "loading", "ready"}));
}

// The engine that goes on serving is what the status describes: a failed
// switch publishes no error (the caller reports it) and ends ready.
TEST_F(EngineManagerTest, FailedProfileSwitchGoesOnWithThePreviousEngine) {
    manager.loadEngine(EngineType::parakeet);
    engines.scripts[EngineType::nemotron].heldLoads = 1;
    engines.scripts[EngineType::nemotron].loadFailure =
        std::make_exception_ptr(EngineError::unavailable("no neural engine"));
    auto load = startEnsure(EngineType::nemotron);
    enterHeldLoad(EngineType::nemotron)->release();

    EXPECT_EQ(thrownDescription([&] { load.get(); }), "Engine unavailable: no neural engine");
    EXPECT_FALSE(manager.isLoading());
    EXPECT_EQ(manager.status(), EngineStatus::ready());
    EXPECT_EQ(manager.currentType(), EngineType::parakeet);
    EXPECT_EQ(transcriber(), "parakeet#1 heard 8 frames");
    EXPECT_EQ(engines.log->events(), (Events{"parakeet#1 load begins", "parakeet#1 load ends",
                                             "nemotron#1 load begins", "nemotron#1 load fails"}));
    EXPECT_EQ(publishedStatuses(), (Events{"downloading", "loading", "ready", "downloading", "loading", "ready"}));
}

// Without an engine that could go on serving, the failure is the status.
TEST_F(EngineManagerTest, FailedSwitchWithoutAServingEngineShowsTheError) {
    struct Case {
        const char* name;
        std::function<void(EngineManager&)> before;
    };
    const Case cases[] = {
        {"no engine loaded yet", [](EngineManager&) {}},
        {"the current engine lost its models", [](EngineManager& m) {
             m.loadEngine(EngineType::parakeet);
             m.currentEngine()->unload();
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EngineManager own{queue, engines.factory()};
        c.before(own);
        engines.scripts[EngineType::nemotron].loadFailure =
            std::make_exception_ptr(EngineError::unavailable("no neural engine"));
        EXPECT_EQ(thrownDescription([&] { own.ensureLoaded(EngineType::nemotron); }),
                  "Engine unavailable: no neural engine");
        EXPECT_EQ(own.status(), EngineStatus::error("Engine unavailable: no neural engine"));
    }
}

// Start-up holds its load while the picker or a profile asks for another
// engine; the later request waits its turn, so the loads never interleave,
// the first engine is not left loaded behind the manager's back, and the
// published status runs through one load after the other.
TEST(EngineManagerOverlapTest, OverlappingLoadsRunOneAfterAnother) {
    using Request = std::function<void(EngineManager&)>;
    struct Case {
        std::string name;
        Request second;
        std::string current;
        Events events;
        Events statuses;
    };
    const Events twoLoads{"downloading", "loading", "ready", "downloading", "loading", "ready"};
    const std::vector<Case> cases{
        {"picker", [](EngineManager& m) { m.loadEngine(EngineType::hushframe); }, "hushframe#1",
         {"parakeet#1 load begins", "parakeet#1 load ends", "parakeet#1 unload", "hushframe#1 load begins",
          "hushframe#1 load ends"},
         twoLoads},
        {"profile", [](EngineManager& m) { m.ensureLoaded(EngineType::hushframe); }, "hushframe#1",
         {"parakeet#1 load begins", "parakeet#1 load ends", "hushframe#1 load begins", "hushframe#1 load ends",
          "parakeet#1 unload"},
         twoLoads},
        {"profile wanting the engine being loaded", [](EngineManager& m) { m.ensureLoaded(EngineType::parakeet); },
         "parakeet#1", {"parakeet#1 load begins", "parakeet#1 load ends"}, {"downloading", "loading", "ready"}},
    };
    // Whether the later request arrives before the held load ends is up to
    // the scheduler, so each case runs a number of rounds.
    constexpr int rounds = 25;
    for (const auto& c : cases) {
        for (int round = 0; round < rounds && !HasFailure(); ++round) {
            SCOPED_TRACE(c.name + ", round " + std::to_string(round));
            ScriptedEngineFactory engines;
            engines.scripts[EngineType::parakeet].heldLoads = 1;
            platform::ManualMainQueue queue;
            EngineManager manager(queue, engines.factory());
            Events published;
            const auto connection = manager.statusChanged().connect(
                [&](const EngineStatus& status) { published.push_back(describe(status)); });

            auto startUp = std::async(std::launch::async, [&] { manager.loadEngine(EngineType::parakeet); });
            const auto held = engines.waitForEngine(EngineType::parakeet);
            held->waitUntilLoadStarts();
            auto second = std::async(std::launch::async, [&] { c.second(manager); });
            held->release();
            startUp.get();
            second.get();

            EXPECT_EQ(engines.log->events(), c.events);
            EXPECT_EQ(manager.currentEngine()->name(), c.current);
            EXPECT_TRUE(manager.currentEngine()->isLoaded());
            EXPECT_EQ(held->isLoaded(), c.current == held->name());
            queue.runUntilIdle();
            EXPECT_EQ(published, c.statuses);
        }
    }
}

// Engine choices made in quick succession: the workers serving them may take
// their turns in any order, and a choice may come while the previous one is
// still loading. Whatever happens, the engine chosen last ends loaded and the
// one chosen before is not left loaded.
TEST(EngineManagerChoiceTest, TheLastChoiceWinsWhateverOrderTheLoadsRunIn) {
    struct Case {
        std::string name;
        bool firstIsInFlight; // A's load has begun before B is chosen
        bool laterServedFirst; // B's worker gets its turn before A's
        Events events;
    };
    const std::vector<Case> cases{
        {"A's worker first, B chosen before it starts", false, false,
         {"hushframe#1 load begins", "hushframe#1 load ends"}},
        {"B's worker first", false, true, {"hushframe#1 load begins", "hushframe#1 load ends"}},
        {"B chosen while A loads", true, false,
         {"parakeet#1 load begins", "parakeet#1 load ends", "parakeet#1 unload", "hushframe#1 load begins",
          "hushframe#1 load ends"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedEngineFactory engines;
        engines.scripts[EngineType::parakeet].heldLoads = c.firstIsInFlight ? 1 : 0;
        platform::ManualMainQueue queue;
        EngineManager manager(queue, engines.factory());

        const auto chooseA = manager.requestEngine(EngineType::parakeet);
        std::future<bool> loadA;
        std::future<bool> loadB;
        if (c.firstIsInFlight) {
            loadA = std::async(std::launch::async, [&] { return manager.loadRequested(chooseA); });
            engines.waitForEngine(EngineType::parakeet)->waitUntilLoadStarts();
            const auto chooseB = manager.requestEngine(EngineType::hushframe);
            loadB = std::async(std::launch::async, [&, chooseB] { return manager.loadRequested(chooseB); });
            engines.engine(EngineType::parakeet)->release();
        } else {
            const auto chooseB = manager.requestEngine(EngineType::hushframe);
            if (c.laterServedFirst) {
                EXPECT_TRUE(manager.loadRequested(chooseB));
            }
            EXPECT_FALSE(manager.loadRequested(chooseA));
            if (!c.laterServedFirst) {
                EXPECT_TRUE(manager.loadRequested(chooseB));
            }
        }
        if (loadA.valid()) {
            EXPECT_TRUE(loadA.get());
        }
        if (loadB.valid()) {
            EXPECT_TRUE(loadB.get());
        }

        EXPECT_EQ(manager.currentType(), EngineType::hushframe);
        EXPECT_TRUE(manager.currentEngine()->isLoaded());
        const auto a = engines.engine(EngineType::parakeet);
        EXPECT_TRUE(!a || !a->isLoaded());
        EXPECT_EQ(engines.log->events(), c.events);
        EXPECT_EQ(manager.status(), EngineStatus::ready());
    }
}

} // namespace
