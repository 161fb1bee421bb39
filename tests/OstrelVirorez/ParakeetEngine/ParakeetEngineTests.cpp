#include "OstrelVirorez/Engines/ParakeetEngine.hpp"

#include "OstrelVirorez/Engines/EngineError.hpp"
#include "Platform/Audio/PCMBuffer.hpp"
#include "Platform/Concurrency/ManualClock.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/AsrManager.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/AsrModels.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/Decoder/TdtDecoderState.hpp"
#include "tests/RazeziRuzer/ASR/ScriptedParakeet/ScriptedParakeet.hpp"
#include "tests/RazeziRuzer/Download/HubFixture.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace ostrelvirorez {
namespace {

using platform::audio::AudioFormat;
using platform::audio::PCMBuffer;
using razeziruzer::ASRResult;
using razeziruzer::AsrManager;
using razeziruzer::AsrModels;
using razeziruzer::AsrModelVersion;
using razeziruzer::Language;
using razeziruzer::ParakeetEncoderPrecision;
using razeziruzer::TokenTiming;
using razeziruzer::downloadtest::directoryEntry;
using razeziruzer::downloadtest::fileEntry;
namespace scripted = razeziruzer::scriptedparakeet;

const std::string remote = "ZoviriVodovozav/parakeet-tdt-0.6b-v3-coreml";
const std::vector<std::string> bundles{"Preprocessor.mlmodelc", "Encoder.mlmodelc", "Decoder.mlmodelc",
                                       "JointDecisionv3.mlmodelc"};
// A token written in Cyrillic, whose runner-up is a Latin one.
constexpr int cyrillicToken = 10;
constexpr int latinRunnerUp = 5;

// 25 frames of 1280 samples: two seconds at 16 kHz.
const std::vector<int> twoSeconds{3,  -1, 7,  -1, 12, -1, 4,  -1, -1, 9,  -1, 21, -1,
                                  -1, 6,  -1, 30, -1, -1, 2,  -1, 15, -1, -1, 11};

PCMBuffer bufferOf(const std::vector<float>& samples) {
    auto buffer = PCMBuffer::make(AudioFormat::standard(), static_cast<std::uint32_t>(samples.size()));
    buffer->setFrameLength(static_cast<std::uint32_t>(samples.size()));
    std::copy(samples.begin(), samples.end(), buffer->floatChannel(0).begin());
    return std::move(*buffer);
}

// A recording of those frames, padded with silence past the recogniser's
// 300 ms minimum.
PCMBuffer recordingOf(std::vector<int> frames) {
    frames.resize(std::max<std::size_t>(frames.size(), 6), -1);
    return bufferOf(scripted::codedAudio(frames));
}

// The thrown error's description, or "no error".
std::string failureOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const std::exception& error) {
        return error.what();
    }
    return "no error";
}

bool throwsNotLoaded(const std::function<void()>& action) {
    try {
        action();
    } catch (const EngineError& error) {
        return error.kind() == EngineErrorKind::notLoaded;
    }
    return false;
}

// Every transcription advances the manual clock by 1.5 s inside the
// recogniser, so the engine's duration shows the time the call took.
scripted::Options scriptedOptions(platform::ManualClock& clock) {
    scripted::Options options;
    options.topK = 2;
    const int blank = razeziruzer::blankId(AsrModelVersion::v3);
    options.joint = [blank](const scripted::JointQuery& query) {
        if (query.token >= 0 && query.ordinal > query.emittedCount) {
            return scripted::JointAnswer{query.token, 0.9f, 1, std::vector<int>{query.token, latinRunnerUp},
                                         std::vector<float>{2.0f, 1.0f}};
        }
        return scripted::JointAnswer{blank, 0.95f, 1};
    };
    options.onPreprocessor = [&clock] { clock.advance(std::chrono::milliseconds(1500)); };
    return options;
}

class ParakeetEngineTests : public razeziruzer::downloadtest::HubFixture {
protected:
    ParakeetEngineTests()
        : models(scriptedOptions(clock)), registrations(models.registerBackends()), engine(clock) {}

    std::filesystem::path cacheFolder() const {
        return folder / "data" / "RazeziRuzer" / "Models" / "parakeet-tdt-0.6b-v3";
    }

    void serveRepository() {
        nlohmann::json vocabulary = nlohmann::json::array();
        const auto tokens = scripted::ScriptedParakeet::vocabulary();
        for (int id = 0; id < static_cast<int>(tokens.size()); ++id) {
            vocabulary.push_back(id == cyrillicToken ? std::string("▁д") : tokens.at(id));
        }
        nlohmann::json top = nlohmann::json::array({fileEntry("parakeet_vocab.json", 9)});
        for (const auto& bundle : bundles) {
            top.push_back(directoryEntry(bundle));
            serveListing(remote, "tree/main/" + bundle,
                         nlohmann::json::array({fileEntry(bundle + "/coremldata.bin", 4)}));
            serveFile(remote, bundle + "/coremldata.bin", "data");
        }
        serveListing(remote, "tree/main", top);
        serveFile(remote, "parakeet_vocab.json", vocabulary.dump());
    }

    void refuseRepository() {
        server.reply("/api/models/" + remote + "/tree/main", testsupport::HttpTestReply::text(500, "down"));
    }

    platform::ManualClock clock;
    scripted::ScriptedParakeet models;
    std::vector<platform::coreml::MLModelBackendRegistry::Registration> registrations;
    ParakeetEngine engine;
};

TEST_F(ParakeetEngineTests, LoadsTranscribesAndUnloads) {
    serveRepository();
    const auto buffer = bufferOf(scripted::codedAudio(twoSeconds));
    ASSERT_EQ(buffer.frameLength(), 32000u);
    EXPECT_TRUE(throwsNotLoaded([&] { engine.transcribe(buffer, std::nullopt); }));

    engine.load();
    EXPECT_TRUE(engine.isLoaded());
    EXPECT_TRUE(AsrModels::modelsExist(cacheFolder()));
    EXPECT_TRUE(log.contains("ParakeetEngine: loaded Parakeet TDT v3"));

    const auto result = engine.transcribe(buffer, std::nullopt);
    std::vector<int> spoken;
    for (const int token : twoSeconds) {
        if (token >= 0) spoken.push_back(token);
    }
    EXPECT_EQ(result.text, scripted::ScriptedParakeet::expectedText(spoken));
    EXPECT_EQ(result.language, std::nullopt);
    EXPECT_DOUBLE_EQ(result.duration, 1.5);

    // The same audio straight through the recogniser: the engine passes its
    // confidence and token timings on unchanged.
    AsrManager direct(razeziruzer::ASRConfig::default_(),
                      AsrModels::load(cacheFolder(), std::nullopt, AsrModelVersion::v3, ParakeetEncoderPrecision::int8));
    auto state = razeziruzer::TdtDecoderState::make(direct.decoderLayerCount());
    const auto expected = direct.transcribe(buffer, state);
    ASSERT_TRUE(expected.tokenTimings.has_value());
    ASSERT_EQ(expected.tokenTimings->size(), spoken.size());
    EXPECT_EQ(result, ParakeetEngine::makeResult(expected, 1.5));

    engine.unload();
    EXPECT_FALSE(engine.isLoaded());
    EXPECT_TRUE(throwsNotLoaded([&] { engine.transcribe(buffer, std::nullopt); }));
}

TEST_F(ParakeetEngineTests, RecordingsDoNotCarryDecoderStateOver) {
    serveRepository();
    engine.load();
    const auto buffer = recordingOf({3, -1, 7, -1, 12});
    const auto first = engine.transcribe(buffer, std::nullopt);
    EXPECT_EQ(first.text, scripted::ScriptedParakeet::expectedText({3, 7, 12}));
    EXPECT_EQ(engine.transcribe(buffer, std::nullopt), first);
}

TEST_F(ParakeetEngineTests, ReloadUsesTheCachedModelsWithoutDownloading) {
    serveRepository();
    engine.load();
    engine.unload();
    const auto requests = requestedPaths().size();
    refuseRepository();

    engine.load();
    EXPECT_TRUE(engine.isLoaded());
    EXPECT_EQ(requestedPaths().size(), requests);
    EXPECT_EQ(engine.transcribe(recordingOf({4}), std::nullopt).text,
              scripted::ScriptedParakeet::expectedText({4}));
}

TEST_F(ParakeetEngineTests, LoadFailureIsThePackagesOwnErrorAndLeavesTheEngineUnloaded) {
    refuseRepository();
    const auto failure = failureOf([&] { engine.load(); });
    EXPECT_FALSE(engine.isLoaded());
    EXPECT_TRUE(throwsNotLoaded([&] { engine.transcribe(recordingOf({4}), std::nullopt); }));

    const auto packageFailure = failureOf(
        [] { AsrModels::download(std::nullopt, false, AsrModelVersion::v3, ParakeetEncoderPrecision::int8); });
    EXPECT_NE(packageFailure, "no error");
    EXPECT_EQ(failure, packageFailure);
    try {
        engine.load();
    } catch (const EngineError&) {
        ADD_FAILURE() << "a package error was wrapped";
    } catch (const std::exception&) {
    }
}

TEST_F(ParakeetEngineTests, FailedReloadKeepsTheLoadedRecogniser) {
    serveRepository();
    engine.load();
    engine.unload();
    engine.load();
    std::filesystem::remove_all(cacheFolder());
    refuseRepository();

    EXPECT_NE(failureOf([&] { engine.load(); }), "no error");
    EXPECT_TRUE(engine.isLoaded());
    EXPECT_EQ(engine.transcribe(recordingOf({4, -1, 8}), std::nullopt).text,
              scripted::ScriptedParakeet::expectedText({4, 8}));
}

TEST_F(ParakeetEngineTests, LanguageHintConstrainsTheRecogniserOnlyForItsOwnCodes) {
    serveRepository();
    engine.load();
    const auto buffer = recordingOf({cyrillicToken});
    const std::string latin = scripted::ScriptedParakeet::expectedText({latinRunnerUp});
    const struct {
        std::optional<std::string> hint;
        std::string text;
    } cases[] = {
        {"de", latin}, {"en", latin}, {"ru", "д"}, {"no", "д"}, {"tr", "д"},
        {"ca", "д"},   {"", "д"},     {"DE", "д"}, {std::nullopt, "д"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(engine.transcribe(buffer, c.hint).text, c.text) << c.hint.value_or("<none>");
    }
}

TEST(ParakeetEngineLanguageTests, HintsMapToTheRecognisersLanguages) {
    EXPECT_EQ(ParakeetEngine::recogniserLanguage("de"), Language::german);
    EXPECT_EQ(ParakeetEngine::recogniserLanguage("el"), Language::greek);
    EXPECT_EQ(ParakeetEngine::recogniserLanguage("bs"), Language::bosnian);
    for (const std::optional<std::string>& hint : {std::optional<std::string>("no"), std::optional<std::string>("tr"),
                                                  std::optional<std::string>("ca"), std::optional<std::string>(""),
                                                  std::optional<std::string>("De"), std::optional<std::string>()}) {
        EXPECT_EQ(ParakeetEngine::recogniserLanguage(hint), std::nullopt) << hint.value_or("<none>");
    }
}

TEST(ParakeetEngineResultTests, TokenTimingsBecomeSegments) {
    ASRResult recognised;
    recognised.text = "guten Tag";
    recognised.confidence = 0.75f;
    recognised.duration = 9;  // audio length, not what the engine reports
    recognised.tokenTimings = std::vector<TokenTiming>{{"gu", 1, 0.0, 0.2, 0.9f},
                                                       {"ten", 2, 0.2, 0.48, 0.8f},
                                                       {" Tag", 3, 0.6, 1.04, 0.7f}};

    const auto result = ParakeetEngine::makeResult(recognised, 0.25);
    EXPECT_EQ(result.text, "guten Tag");
    EXPECT_EQ(result.language, std::nullopt);
    EXPECT_EQ(result.confidence, 0.75f);
    EXPECT_DOUBLE_EQ(result.duration, 0.25);
    EXPECT_EQ(result.segments, (std::vector<TranscriptionSegment>{{"gu", 0.0, 0.2}, {"ten", 0.2, 0.48},
                                                                 {" Tag", 0.6, 1.04}}));

    recognised.tokenTimings = std::vector<TokenTiming>{};
    EXPECT_EQ(ParakeetEngine::makeResult(recognised, 0).segments, std::vector<TranscriptionSegment>{});
    recognised.tokenTimings.reset();
    EXPECT_EQ(ParakeetEngine::makeResult(recognised, 0).segments, std::nullopt);
}

TEST(ParakeetEngineIdentityTests, NameLanguagesAndUnloadWithoutLoad) {
    ParakeetEngine engine;
    EXPECT_EQ(engine.name(), "Parakeet TDT v3");
    EXPECT_EQ(engine.supportedLanguages(),
              (std::vector<std::string>{"de", "en", "fr", "es", "it", "pt", "nl", "pl", "cs", "sk", "hu", "ro", "bg",
                                        "hr", "sl", "sr", "uk", "ru", "sv", "no", "da", "fi", "el", "tr", "ca"}));
    EXPECT_FALSE(engine.isLoaded());
    engine.unload();
    EXPECT_FALSE(engine.isLoaded());
}

} // namespace
} // namespace ostrelvirorez
