#include "OstrelVirorez/Engines/AppleSpeechEngine.hpp"

#include "OstrelVirorez/App/Log.hpp"
#include "OstrelVirorez/Engines/AnalyzerInputStream.hpp"
#include "OstrelVirorez/Engines/EngineError.hpp"
#include "Platform/Audio/AudioConverter.hpp"
#include "Platform/Concurrency/SystemClock.hpp"
#include "Platform/Text/Whitespace.hpp"

#include <chrono>
#include <cstdint>
#include <exception>
#include <future>
#include <limits>
#include <utility>

namespace ostrelvirorez {
namespace {

using platform::audio::AudioConverter;
using platform::audio::AudioConverterInputStatus;
using platform::audio::AudioConverterOutputStatus;
using platform::audio::AudioFormat;
using platform::audio::PCMBuffer;

// The state of one conversion's input callback: the whole buffer on the first
// request, the end of the stream on every later one.
struct ConverterFeed {
    const PCMBuffer* buffer;
    bool consumed = false;

    const PCMBuffer* next(AudioConverterInputStatus& status) {
        if (consumed) {
            status = AudioConverterInputStatus::endOfStream;
            return nullptr;
        }
        consumed = true;
        status = AudioConverterInputStatus::haveData;
        return buffer;
    }
};

// Frames the converted buffer needs room for, with headroom for the
// converter's tail; absent when that exceeds what a buffer can hold.
std::optional<std::uint32_t> outputCapacity(const PCMBuffer& buffer, const AudioFormat& to) {
    constexpr std::uint32_t headroom = 4096;
    const double frames = static_cast<double>(buffer.frameLength()) * to.sampleRate() / buffer.format().sampleRate();
    if (!(frames < static_cast<double>(std::numeric_limits<std::uint32_t>::max() - headroom))) return std::nullopt;
    return static_cast<std::uint32_t>(frames) + headroom;
}

// Appends every result's text, in order and with no separator, until the
// transcriber's results end.
std::string collectText(SpeechTranscriber& transcriber) {
    std::string text;
    while (const auto piece = transcriber.nextResult()) text += *piece;
    return text;
}

} // namespace

AppleSpeechEngine::AppleSpeechEngine() : AppleSpeechEngine(SpeechAnalyzerPlatform::unavailable()) {}

AppleSpeechEngine::AppleSpeechEngine(std::shared_ptr<SpeechAnalyzerPlatform> speech)
    : AppleSpeechEngine(std::move(speech), platform::SystemClock::shared()) {}

AppleSpeechEngine::AppleSpeechEngine(std::shared_ptr<SpeechAnalyzerPlatform> speech, const platform::Clock& clock)
    : speech_(std::move(speech)), clock_(clock) {}

void AppleSpeechEngine::load() {
    if (!speech_->hasSpeechAnalyzer()) {
        throw EngineError::unavailable(
            "Apple SpeechAnalyzer benötigt macOS 26 oder neuer. Bitte Parakeet oder Hushframe wählen.");
    }
    if (!speech_->transcriberIsAvailable()) {
        throw EngineError::unavailable("Apple SpeechAnalyzer ist auf diesem Gerät nicht verfügbar.");
    }
    // Without any usable locale the engine still loads; the first
    // transcription reports the missing language.
    if (const auto locale = resolveSupportedLocale(std::nullopt)) ensureModelInstalled(*locale);
    isLoaded_ = true;
    logVirorez("AppleSpeechEngine: ready (macOS 26 SpeechAnalyzer)");
}

TranscriptionResult AppleSpeechEngine::transcribe(const PCMBuffer& buffer,
                                                  const std::optional<std::string>& languageHint) {
    if (!speech_->hasSpeechAnalyzer()) {
        throw EngineError::unavailable("Apple SpeechAnalyzer benötigt macOS 26 oder neuer.");
    }
    if (!isLoaded_) throw EngineError::notLoaded();
    return run(buffer, languageHint);
}

std::optional<SpeechLocale> AppleSpeechEngine::resolveSupportedLocale(const std::optional<std::string>& hint) {
    std::vector<SpeechLocale> candidates;
    if (hint && !hint->empty()) candidates.push_back(SpeechLocale{*hint});
    candidates.push_back(speech_->currentLocale());
    candidates.push_back(SpeechLocale{"en-US"});
    for (const auto& candidate : candidates) {
        if (auto supported = speech_->supportedLocale(candidate)) return supported;
    }
    auto all = speech_->supportedLocales();
    if (all.empty()) return std::nullopt;
    return all.front();
}

void AppleSpeechEngine::ensureModelInstalled(const SpeechLocale& locale) {
    const SpeechModules modules{speech_->makeTranscriber(locale, SpeechTranscriberPreset::transcription)};
    if (const auto request = speech_->assetInstallationRequest(modules)) request->downloadAndInstall();
}

TranscriptionResult AppleSpeechEngine::run(const PCMBuffer& buffer, const std::optional<std::string>& languageHint) {
    const double start = secondsNow();
    const auto locale = resolveSupportedLocale(languageHint);
    if (!locale) throw EngineError::unavailable("Keine von Apple SpeechAnalyzer unterstützte Sprache gefunden.");

    const auto transcriber = speech_->makeTranscriber(*locale, SpeechTranscriberPreset::transcription);
    ensureModelInstalled(*locale);
    const SpeechModules modules{transcriber};
    const auto format = speech_->bestAvailableAudioFormat(modules);
    const auto analyzer = speech_->makeAnalyzer(modules, SpeechAnalyzerOptions{});

    AnalyzerInputStream inputs;
    inputs.yield(AnalyzerInput{convert(buffer, format)});
    inputs.finish();

    // The collector blocks on the results until the analysis ends, so it gets
    // a thread of its own rather than a pool worker the analysis may need.
    auto collected = std::async(std::launch::async, [transcriber] { return collectText(*transcriber); });
    try {
        if (const auto lastSample = analyzer->analyzeSequence(inputs)) {
            analyzer->finalizeAndFinish(*lastSample);
        } else {
            analyzer->cancelAndFinishNow();
        }
    } catch (...) {
        const auto failure = std::current_exception();
        analyzer->cancelAndFinishNow();
        try {
            collected.get();
        } catch (...) {
            // The analysis error is the one that counts.
        }
        std::rethrow_exception(failure);
    }
    auto text = platform::text::trimWhitespaceAndNewlines(collected.get());
    const double end = secondsNow();
    return TranscriptionResult{std::move(text), locale->languageCode(), std::nullopt, end - start, std::nullopt};
}

PCMBuffer AppleSpeechEngine::convert(const PCMBuffer& buffer, const std::optional<AudioFormat>& to) {
    if (!to || buffer.format() == *to) return buffer;
    const auto converter = AudioConverter::make(buffer.format(), *to);
    if (!converter) throw EngineError::transcriptionFailed("Audio-Format-Konvertierung nicht möglich.");
    const auto capacity = outputCapacity(buffer, *to);
    auto output = capacity ? PCMBuffer::make(*to, *capacity) : std::nullopt;
    if (!output) throw EngineError::transcriptionFailed("Output-Buffer-Allokation fehlgeschlagen.");

    ConverterFeed feed{&buffer};
    std::optional<platform::audio::AudioError> error;
    const auto status = converter->convert(
        *output, [&feed](std::uint32_t, AudioConverterInputStatus& inputStatus) { return feed.next(inputStatus); },
        &error);
    if (error) throw EngineError::transcriptionFailed("Audio-Konvertierung: " + error->description());
    if (status == AudioConverterOutputStatus::error) {
        throw EngineError::transcriptionFailed("Audio-Konvertierung fehlgeschlagen.");
    }
    return std::move(*output);
}

double AppleSpeechEngine::secondsNow() const {
    return std::chrono::duration<double>(clock_.now().time_since_epoch()).count();
}

} // namespace ostrelvirorez
