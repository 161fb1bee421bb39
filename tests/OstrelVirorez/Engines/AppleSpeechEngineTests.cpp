#include "OstrelVirorez/Engines/AppleSpeechEngine.hpp"
#include "OstrelVirorez/Engines/EngineError.hpp"
#include "Platform/Concurrency/ManualClock.hpp"
#include "Platform/Core/Logger.hpp"
#include "tests/OstrelVirorez/Engines/FakeSpeechAnalyzerPlatform.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>

namespace {

using namespace ostrelvirorez;
using platform::audio::AudioFormat;
using platform::audio::CommonFormat;
using platform::audio::PCMBuffer;
using Calls = std::vector<std::string>;

PCMBuffer ramp(std::uint32_t frames, const AudioFormat& format = AudioFormat::standard()) {
    auto buffer = PCMBuffer::make(format, frames);
    buffer->setFrameLength(frames);
    auto samples = buffer->floatChannel(0);
    for (std::uint32_t i = 0; i < frames; ++i) samples[i] = static_cast<float>(i % 100) / 100.0f;
    return std::move(*buffer);
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

class AppleSpeechEngineTest : public ::testing::Test {
protected:
    void SetUp() override { speech->clock = &clock; }

    // Loads, then forgets what loading recorded.
    void load() {
        engine.load();
        speech->clearRecords();
    }
    TranscriptionResult transcribe(const std::optional<std::string>& hint = std::nullopt) {
        return engine.transcribe(ramp(1600), hint);
    }

    platform::ManualClock clock;
    std::shared_ptr<enginetest::FakeSpeechAnalyzerPlatform> speech =
        std::make_shared<enginetest::FakeSpeechAnalyzerPlatform>();
    AppleSpeechEngine engine{speech, clock};
};

TEST_F(AppleSpeechEngineTest, LoadRefusesWhereTheAnalyzerOrTheTranscriberIsMissing) {
    struct Case {
        bool present;
        bool available;
        std::string failure;
    };
    const Case cases[] = {
        {false, true,
         "Engine unavailable: Apple SpeechAnalyzer benötigt macOS 26 oder neuer. Bitte Parakeet oder Hushframe "
         "wählen."},
        {true, false, "Engine unavailable: Apple SpeechAnalyzer ist auf diesem Gerät nicht verfügbar."},
    };
    for (const auto& c : cases) {
        speech->analyzerPresent = c.present;
        speech->available = c.available;
        EXPECT_EQ(failureOf([&] { engine.load(); }), c.failure);
        EXPECT_FALSE(engine.isLoaded());
    }
}

TEST_F(AppleSpeechEngineTest, LoadInstallsTheAssetsOfTheLocaleItWouldUse) {
    platform::ScopedLogCapture logs;
    engine.load();
    EXPECT_TRUE(engine.isLoaded());
    // The user's French is not offered, so en-US is the locale; its assets were missing.
    EXPECT_EQ(speech->calls, (Calls{"match fr-FR", "match en-US", "transcriber en-US", "install en-US"}));
    EXPECT_TRUE(logs.contains("AppleSpeechEngine: ready (macOS 26 SpeechAnalyzer)"));

    engine.unload();
    speech->clearRecords();
    engine.load();
    EXPECT_EQ(speech->calls.back(), "transcriber en-US"); // installed now: no request
}

TEST_F(AppleSpeechEngineTest, LoadWithoutAnyLanguageSucceedsAndTheTranscriptionReportsIt) {
    speech->supported.clear();
    engine.load();
    EXPECT_TRUE(engine.isLoaded());
    EXPECT_EQ(speech->calls, (Calls{"match fr-FR", "match en-US"}));
    EXPECT_EQ(failureOf([&] { transcribe("de"); }),
              "Engine unavailable: Keine von Apple SpeechAnalyzer unterstützte Sprache gefunden.");
}

TEST_F(AppleSpeechEngineTest, AssetInstallationErrorPassesUnchangedAndLeavesTheEngineUnloaded) {
    speech->installFailure = std::make_exception_ptr(platform::Error("Netzwerk weg"));
    EXPECT_EQ(failureOf([&] { engine.load(); }), "Netzwerk weg");
    EXPECT_FALSE(engine.isLoaded());
}

TEST_F(AppleSpeechEngineTest, TranscribeNeedsTheAnalyzerAndALoadedEngine) {
    EXPECT_EQ(failureOf([&] { transcribe(); }), "Engine not loaded");
    load();
    engine.unload();
    EXPECT_EQ(failureOf([&] { transcribe(); }), "Engine not loaded");
    speech->analyzerPresent = false;
    EXPECT_EQ(failureOf([&] { transcribe(); }),
              "Engine unavailable: Apple SpeechAnalyzer benötigt macOS 26 oder neuer.");
}

TEST_F(AppleSpeechEngineTest, LanguageComesFromTheHintThenTheUserThenEnglishThenTheFirstSupportedLocale) {
    struct Case {
        std::string name;
        std::optional<std::string> hint;
        std::string userLocale;
        std::vector<SpeechLocale> supported;
        Calls matches;
        std::string transcriber;
        std::optional<std::string> language;
    };
    const std::vector<SpeechLocale> englishAndGerman{{"en-US"}, {"de-DE"}};
    const Case cases[] = {
        {"hint supported", "de", "fr-FR", englishAndGerman, {"match de"}, "de-DE", "de"},
        {"hint not supported", "xx", "de-AT", englishAndGerman, {"match xx", "match de-AT"}, "de-DE", "de"},
        {"user not supported", "xx", "fr-FR", englishAndGerman, {"match xx", "match fr-FR", "match en-US"}, "en-US",
         "en"},
        {"English not supported", "xx", "fr-FR", {{"ja-JP"}, {"ko-KR"}},
         {"match xx", "match fr-FR", "match en-US"}, "ja-JP", "ja"},
        {"empty hint", "", "de-DE", englishAndGerman, {"match de-DE"}, "de-DE", "de"},
        {"no hint", std::nullopt, "de-DE", englishAndGerman, {"match de-DE"}, "de-DE", "de"},
    };
    speech->installed = {"en-US", "de-DE", "ja-JP"};
    load();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        speech->clearRecords();
        speech->userLocale = SpeechLocale{c.userLocale};
        speech->supported = c.supported;
        const auto result = transcribe(c.hint);
        auto expected = c.matches;
        expected.push_back("transcriber " + c.transcriber);
        expected.push_back("transcriber " + c.transcriber);
        expected.push_back("finalize 2");
        EXPECT_EQ(speech->calls, expected);
        EXPECT_EQ(result.language, c.language);
    }
}

TEST_F(AppleSpeechEngineTest, CollectsTheResultsInOrderTrimmedAndTimesTheCall) {
    speech->analysis.results = {"  Hallo", " Welt", "\n"};
    speech->analysis.takes = std::chrono::milliseconds(1500);
    load();
    const auto result = transcribe("de");
    EXPECT_EQ(result, (TranscriptionResult{"Hallo Welt", "de", std::nullopt, 1.5, std::nullopt}));
    EXPECT_EQ(speech->calls.back(), "finalize 2");
    ASSERT_EQ(speech->analyzerOptions.size(), 1u);
    EXPECT_EQ(speech->analyzerOptions[0], SpeechAnalyzerOptions{});
}

TEST_F(AppleSpeechEngineTest, WithoutALastSampleTheAnalysisIsCancelledAndTheTextSoFarReturned) {
    struct Case {
        std::vector<std::string> results;
        std::string text;
    };
    const Case cases[] = {{{"Hallo "}, "Hallo"}, {{}, ""}};
    speech->analysis.lastSampleTime = std::nullopt;
    load();
    for (const auto& c : cases) {
        speech->clearRecords();
        speech->analysis.results = c.results;
        EXPECT_EQ(transcribe().text, c.text);
        EXPECT_EQ(speech->calls.back(), "cancel");
    }
}

TEST_F(AppleSpeechEngineTest, AnalysisFailuresCancelTheAnalyzerAndWinOverResultFailures) {
    struct Case {
        std::string name;
        std::function<void(enginetest::AnalysisScript&)> script;
        std::string failure;
        Calls ending;
    };
    const auto error = [](const char* text) { return std::make_exception_ptr(platform::Error(text)); };
    const Case cases[] = {
        {"analysis fails", [&](auto& s) { s.analyzeFailure = error("analyse"); s.resultsFailure = error("results"); },
         "analyse", {"cancel"}},
        {"finishing fails", [&](auto& s) { s.finalizeFailure = error("finish"); }, "finish",
         {"finalize 2", "cancel"}},
        {"results fail", [&](auto& s) { s.resultsFailure = error("results"); }, "results", {"finalize 2"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        speech->analysis = {};
        c.script(speech->analysis);
        load();
        EXPECT_EQ(failureOf([&] { transcribe(); }), c.failure);
        const Calls ending(speech->calls.end() - static_cast<std::ptrdiff_t>(c.ending.size()), speech->calls.end());
        EXPECT_EQ(ending, c.ending);
    }
}

TEST_F(AppleSpeechEngineTest, TheRecordingReachesTheAnalyzerInTheFormatItWants) {
    load();
    const auto input = ramp(1600);
    for (const auto& format : {std::optional(AudioFormat::standard()), std::optional<AudioFormat>()}) {
        speech->clearRecords();
        speech->bestFormat = format;
        engine.transcribe(input, std::nullopt);
        ASSERT_EQ(speech->analyzedInputs.size(), 1u);
        const auto& passed = speech->analyzedInputs[0];
        EXPECT_EQ(passed.frameCapacity(), input.frameCapacity());
        EXPECT_TRUE(std::ranges::equal(passed.floatChannel(0), input.floatChannel(0)));
    }

    speech->clearRecords();
    speech->bestFormat = AudioFormat::standard(48000, 1);
    engine.transcribe(input, std::nullopt);
    ASSERT_EQ(speech->analyzedInputs.size(), 1u);
    const auto& converted = speech->analyzedInputs[0];
    EXPECT_EQ(converted.format(), *AudioFormat::standard(48000, 1));
    EXPECT_EQ(converted.frameCapacity(), 3u * 1600u + 4096u);
    EXPECT_NEAR(converted.frameLength(), 3.0 * 1600, 3.0);
}

TEST(AppleSpeechEngineConversionTest, RefusesFormatsItCannotConvertTo) {
    struct Case {
        std::string name;
        std::optional<AudioFormat> target;
        std::string failure;
    };
    const Case cases[] = {
        {"no converter", AudioFormat::make(CommonFormat::otherFormat, 16000, 1, false),
         "Transcription failed: Audio-Format-Konvertierung nicht möglich."},
        {"output too large", AudioFormat::standard(1e12, 1),
         "Transcription failed: Output-Buffer-Allokation fehlgeschlagen."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(c.target);
        EXPECT_EQ(failureOf([&] { AppleSpeechEngine::convert(ramp(16000), c.target); }), c.failure);
    }
}

} // namespace
