#include "OstrelVirorez/Engines/NemotronEngine.hpp"

#include "OstrelVirorez/Engines/EngineError.hpp"
#include "OstrelVirorez/Engines/EngineManager.hpp"
#include "Platform/Concurrency/ManualClock.hpp"
#include "Platform/Concurrency/ManualMainQueue.hpp"
#include "Platform/Core/Logger.hpp"
#include "RazeziRuzer/ASR/Parakeet/ASRError.hpp"
#include "RazeziRuzer/ASR/Parakeet/Streaming/Nemotron/StreamingNemotronAsrManager.hpp"
#include "RazeziRuzer/DownloadUtils.hpp"
#include "tests/OstrelVirorez/Engines/EngineTestAudio.hpp"
#include "tests/RazeziRuzer/ASR/Parakeet/Streaming/Nemotron/ScriptedNemotron.hpp"
#include "tests/Support/ScopedEnvironment.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <mutex>
#include <thread>

namespace ostrelvirorez {
namespace {

using enginetest::failureOf;
using enginetest::recording;
namespace scripted = razeziruzer::scriptednemotron;

const std::string refusal = "Nemotron int8 streaming models require Apple Silicon (ANE). Intel Macs are not supported.";

// What the fake recognisers of one test did, and how they behave.
struct StreamScript {
    std::mutex mutex;
    std::vector<std::string> calls;
    std::exception_ptr loadFailure;
    std::exception_ptr processFailure;
    // The first decode waits here until the test lets it go.
    bool holdFirstProcess = false;
    std::promise<void> firstProcessReached;
    std::promise<void> releaseFirstProcess;
    // A reset arrived while another sequence was between its reset and finish.
    std::atomic<bool> interleaved = false;
    std::atomic<int> madeCount = 0;

    void add(std::string call) {
        const std::lock_guard lock(mutex);
        calls.push_back(std::move(call));
    }
    std::vector<std::string> recorded() {
        const std::lock_guard lock(mutex);
        return calls;
    }
};

// A recogniser whose transcript is the number of samples heard since the
// last reset; finish takes 0.75 s of the test's clock.
class FakeStream final : public razeziruzer::StreamingAsrManager {
public:
    FakeStream(StreamScript& script, platform::ManualClock& clock)
        : script_(script), clock_(clock), id_(std::to_string(++script.madeCount)) {}

    std::string displayName() const override { return "fake"; }
    void loadModels() override {
        script_.add(id_ + " load");
        if (script_.loadFailure) std::rethrow_exception(script_.loadFailure);
    }
    void reset() override {
        if (inSequence_.exchange(true)) script_.interleaved = true;
        heard_ = 0;
        script_.add(id_ + " reset");
    }
    void appendAudio(const platform::audio::PCMBuffer& buffer) override {
        heard_ += buffer.frameLength();
        script_.add(id_ + " append " + std::to_string(buffer.frameLength()));
    }
    void processBufferedAudio() override {
        script_.add(id_ + " process");
        if (script_.holdFirstProcess && !held_.exchange(true)) {
            script_.firstProcessReached.set_value();
            script_.releaseFirstProcess.get_future().wait();
        }
        if (script_.processFailure) std::rethrow_exception(script_.processFailure);
    }
    std::string finish() override {
        script_.add(id_ + " finish");
        clock_.advance(std::chrono::milliseconds(750));
        inSequence_ = false;
        return "heard " + std::to_string(heard_.load());
    }
    void cleanup() noexcept override { script_.add(id_ + (inSequence_ ? " cleanup while transcribing" : " cleanup")); }
    void setPartialTranscriptCallback(razeziruzer::TranscriptCallback) override {}
    std::string getPartialTranscript() const override { return ""; }

private:
    StreamScript& script_;
    platform::ManualClock& clock_;
    std::string id_;
    std::atomic<std::uint32_t> heard_ = 0;
    std::atomic<bool> inSequence_ = false;
    std::atomic<bool> held_ = false;
};

bool throwsNotLoaded(const std::function<void()>& action) {
    try {
        action();
    } catch (const EngineError& error) {
        return error.kind() == EngineErrorKind::notLoaded;
    }
    return false;
}

class NemotronEngineTests : public ::testing::Test {
protected:
    NemotronEngine::ManagerFactory fakes() {
        return [this] { return std::make_unique<FakeStream>(script, clock); };
    }

    platform::ManualClock clock;
    StreamScript script;
    NemotronEngine engine{fakes(), clock};
};

TEST_F(NemotronEngineTests, EachTranscriptionIsOneWholeStreamSequence) {
    const auto buffer = recording(std::vector<float>(32000, 0.1f));
    EXPECT_TRUE(throwsNotLoaded([&] { engine.transcribe(buffer, std::nullopt); }));

    platform::ScopedLogCapture log;
    engine.load();
    EXPECT_TRUE(engine.isLoaded());
    EXPECT_TRUE(log.contains("NemotronEngine: loaded Nemotron 3.5"));

    const auto first = engine.transcribe(buffer, std::nullopt);
    EXPECT_EQ(first, (TranscriptionResult{"heard 32000", std::nullopt, std::nullopt, 0.75, std::nullopt}));
    // A second recording starts from a reset stream.
    EXPECT_EQ(engine.transcribe(recording(std::vector<float>(8000, 0.1f)), std::nullopt).text, "heard 8000");
    EXPECT_EQ(script.recorded(), (std::vector<std::string>{"1 load", "1 reset", "1 append 32000", "1 process",
                                                            "1 finish", "1 reset", "1 append 8000", "1 process",
                                                            "1 finish"}));

    engine.unload();
    EXPECT_FALSE(engine.isLoaded());
    EXPECT_EQ(script.recorded().back(), "1 cleanup");
    EXPECT_TRUE(throwsNotLoaded([&] { engine.transcribe(buffer, std::nullopt); }));
}

TEST_F(NemotronEngineTests, TheHintChangesNothing) {
    engine.load();
    const auto buffer = recording(std::vector<float>(16000, 0.1f));
    const auto expected = engine.transcribe(buffer, std::nullopt);
    const auto calls = script.recorded().size();
    for (const std::optional<std::string> hint : {"en", "de", "", "xx"}) {
        SCOPED_TRACE(*hint);
        EXPECT_EQ(engine.transcribe(buffer, hint), expected);
    }
    EXPECT_EQ(script.recorded().size(), calls + 4 * 4);
}

TEST_F(NemotronEngineTests, ErrorsPassUnchangedAndTheEngineStaysAsItWas) {
    script.loadFailure = std::make_exception_ptr(razeziruzer::ASRError::unsupportedPlatform(refusal));
    EXPECT_EQ(failureOf([&] { engine.load(); }), refusal);
    EXPECT_FALSE(engine.isLoaded());

    script.loadFailure = nullptr;
    engine.load();
    script.loadFailure = std::make_exception_ptr(std::runtime_error("no models"));
    EXPECT_EQ(failureOf([&] { engine.load(); }), "no models");
    EXPECT_TRUE(engine.isLoaded());

    script.processFailure = std::make_exception_ptr(razeziruzer::ASRError::processingFailed("chunk"));
    try {
        engine.transcribe(recording({0.1f}), std::nullopt);
        ADD_FAILURE() << "no error";
    } catch (const razeziruzer::ASRError& error) {
        EXPECT_EQ(error.kind(), razeziruzer::ASRErrorKind::processingFailed);
    }
    EXPECT_TRUE(engine.isLoaded());
    script.processFailure = nullptr;
    // The recogniser of the first load is still the one in use.
    engine.transcribe(recording({0.1f}), std::nullopt);
    EXPECT_EQ(script.recorded().back(), "2 finish");
}

TEST_F(NemotronEngineTests, ReloadReleasesThePreviousRecogniser) {
    engine.load();
    engine.load();
    engine.transcribe(recording({0.1f}), std::nullopt);
    const auto calls = script.recorded();
    EXPECT_EQ(std::vector<std::string>(calls.begin(), calls.begin() + 3),
              (std::vector<std::string>{"1 load", "2 load", "1 cleanup"}));
    EXPECT_EQ(calls.back(), "2 finish");
}

// The live preview and the final pass may call at once; their sequences on
// the one stream must not interleave.
TEST_F(NemotronEngineTests, OverlappingTranscriptionsTakeTurnsOnTheStream) {
    script.holdFirstProcess = true;
    engine.load();
    auto preview = std::async(std::launch::async,
                              [&] { return engine.transcribe(recording(std::vector<float>(16000, 0.1f)), std::nullopt); });
    script.firstProcessReached.get_future().wait();
    std::atomic<bool> finalStarted = false;
    auto finalPass = std::async(std::launch::async, [&] {
        finalStarted = true;
        return engine.transcribe(recording(std::vector<float>(48000, 0.1f)), std::nullopt);
    });
    // Give the final pass every chance to reach the stream while the preview is inside it.
    while (!finalStarted) std::this_thread::yield();
    for (int i = 0; i < 20000 && script.recorded().size() < 5; ++i) std::this_thread::yield();
    script.releaseFirstProcess.set_value();

    EXPECT_EQ(preview.get().text, "heard 16000");
    EXPECT_EQ(finalPass.get().text, "heard 48000");
    EXPECT_FALSE(script.interleaved);
}

TEST_F(NemotronEngineTests, UnloadWaitsForARunningTranscription) {
    script.holdFirstProcess = true;
    engine.load();
    auto preview = std::async(std::launch::async,
                              [&] { return engine.transcribe(recording(std::vector<float>(16000, 0.1f)), std::nullopt); });
    script.firstProcessReached.get_future().wait();
    auto unloading = std::async(std::launch::async, [&] { engine.unload(); });
    for (int i = 0; i < 20000 && engine.isLoaded(); ++i) std::this_thread::yield();
    EXPECT_TRUE(throwsNotLoaded([&] { engine.transcribe(recording({0.1f}), std::nullopt); }));
    for (int i = 0; i < 20000; ++i) std::this_thread::yield();
    script.releaseFirstProcess.set_value();
    EXPECT_EQ(preview.get().text, "heard 16000");
    unloading.get();
    const auto calls = script.recorded();
    EXPECT_EQ(std::vector<std::string>(calls.end() - 2, calls.end()),
              (std::vector<std::string>{"1 finish", "1 cleanup"}));
    EXPECT_TRUE(throwsNotLoaded([&] { engine.transcribe(recording({0.1f}), std::nullopt); }));
}

TEST(NemotronEngineIdentityTests, NameLanguagesAndUnloadWithoutLoad) {
    NemotronEngine engine;
    EXPECT_EQ(engine.name(), "Nemotron 3.5 (Streaming)");
    EXPECT_EQ(engine.supportedLanguages(),
              (std::vector<std::string>{"en", "de", "fr", "es", "it", "pt", "nl", "pl", "cs", "sk",
                                        "hu", "ro", "bg", "hr", "sl", "sr", "uk", "ru", "sv", "no",
                                        "da", "fi", "el", "tr", "ca", "ja", "zh", "ko", "ar", "hi"}));
    EXPECT_FALSE(engine.isLoaded());
    engine.unload();
    EXPECT_FALSE(engine.isLoaded());
}

// The package's recogniser over scripted models in its cache folder.
class NemotronEngineRecogniserTests : public ::testing::Test {
protected:
    NemotronEngineRecogniserTests() {
        environment.set("XDG_DATA_HOME", data.path().string());
        razeziruzer::DownloadUtils::enforceOffline = true;
    }
    ~NemotronEngineRecogniserTests() override { razeziruzer::DownloadUtils::enforceOffline = false; }

    std::filesystem::path cacheFolder() const { return data / "RazeziRuzer" / "Models" / "nemotron-streaming" / "2240ms"; }

    // Recognisers of a machine that has the neural engine.
    static NemotronEngine::ManagerFactory withNeuralEngine() {
        return [] {
            return std::make_unique<razeziruzer::StreamingNemotronAsrManager>(std::nullopt, std::nullopt,
                                                                             [] { return true; });
        };
    }

    static std::vector<int> tokens(int frames, int offset) {
        std::vector<int> script;
        for (int i = 0; i < frames; ++i) script.push_back(i % 4 == 3 ? -1 : (i + offset) % scripted::vocabularySize);
        return script;
    }

    testsupport::TemporaryDirectory data;
    testsupport::ScopedEnvironment environment;
    platform::ManualClock clock;
};

TEST_F(NemotronEngineRecogniserTests, TranscribesRecordingsIndependently) {
    scripted::ScriptedNemotron models(cacheFolder());
    NemotronEngine engine(withNeuralEngine(), clock);
    engine.load();
    // 10 s, then 3 s: the second text owes nothing to the first stream.
    const auto longScript = tokens(125, 0);
    const auto shortScript = tokens(37, 5);
    EXPECT_EQ(engine.transcribe(recording(scripted::codedAudio(longScript)), std::nullopt).text,
              scripted::expectedText(longScript));
    EXPECT_EQ(engine.transcribe(recording(scripted::codedAudio(shortScript)), "de").text,
              scripted::expectedText(shortScript));
}

TEST_F(NemotronEngineRecogniserTests, ConcurrentCallersEachGetTheirOwnText) {
    scripted::ScriptedNemotron models(cacheFolder());
    NemotronEngine engine(withNeuralEngine(), clock);
    engine.load();
    const auto previewScript = tokens(40, 1);
    const auto finalScript = tokens(60, 7);
    const auto previewAudio = recording(scripted::codedAudio(previewScript));
    const auto finalAudio = recording(scripted::codedAudio(finalScript));
    auto run = [&](const platform::audio::PCMBuffer& audio, const std::string& expected) {
        int wrong = 0;
        for (int i = 0; i < 6; ++i) wrong += engine.transcribe(audio, std::nullopt).text != expected;
        return wrong;
    };
    auto preview = std::async(std::launch::async, run, std::cref(previewAudio), scripted::expectedText(previewScript));
    auto finalPass = std::async(std::launch::async, run, std::cref(finalAudio), scripted::expectedText(finalScript));
    EXPECT_EQ(preview.get(), 0);
    EXPECT_EQ(finalPass.get(), 0);
}

TEST_F(NemotronEngineRecogniserTests, ThisPlatformRefusesWithThePackagesMessage) {
    scripted::ScriptedNemotron models(cacheFolder());
    NemotronEngine engine;
    EXPECT_EQ(failureOf([&] { engine.load(); }), refusal);
    EXPECT_FALSE(engine.isLoaded());
    EXPECT_EQ(models.preprocessor->callCount(), 0u);

    platform::ManualMainQueue queue;
    EngineManager manager(queue);
    EXPECT_THROW(manager.loadEngine(EngineType::nemotron), razeziruzer::ASRError);
    EXPECT_EQ(manager.status(), EngineStatus::error(refusal));
    EXPECT_EQ(manager.currentEngine(), nullptr);
}

} // namespace
} // namespace ostrelvirorez
