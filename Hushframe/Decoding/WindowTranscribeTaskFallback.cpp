#include "Hushframe/Core/LogCategories.hpp"
#include "Hushframe/Core/WhisperError.hpp"
#include "Hushframe/Decoding/DecodingClock.hpp"
#include "Hushframe/Decoding/DecodingInputsReset.hpp"
#include "Hushframe/Decoding/TemperatureSchedule.hpp"
#include "Hushframe/Decoding/WindowTranscribeTask.hpp"
#include "PelluxCore/Logging.hpp"

namespace hushframe {

using CoreLog = pelluxcore::Logging;

namespace {

void foldAttempt(TranscriptionTimings& into, const TranscriptionTimings& attempt) {
    into.firstTokenTime = std::min(into.firstTokenTime, attempt.firstTokenTime);
    into.decodingPredictions += attempt.decodingPredictions;
    into.totalDecodingLoops += attempt.totalDecodingLoops;
    into.decodingNonPrediction += attempt.decodingNonPrediction;
    into.decodingFiltering += attempt.decodingFiltering;
    into.decodingSampling += attempt.decodingSampling;
    into.decodingKvCaching += attempt.decodingKvCaching;
    into.totalKVUpdateRuns += attempt.totalKVUpdateRuns;
}

} // namespace

DecodingResult WindowTranscribeTask::decodeWithFallback(const AudioEncoderOutputType& encoderSegment,
                                                        const DecodingOptions& decodingOptions,
                                                        std::shared_ptr<DecodingInputsType>& decoderInputs,
                                                        std::optional<std::string>& detectedLanguage,
                                                        const TranscriptionCallback& callback) {
    auto& signposter = Logging::TranscribeTask::signposter();
    const auto interval = Logging::beginSignpost("Decode", signposter);
    struct IntervalGuard {
        OSSignposter& signposter;
        const OSSignpostIntervalState& interval;
        ~IntervalGuard() { Logging::endSignpost("Decode", interval, signposter); }
    } guard{signposter, interval};

    const auto temperatures = temperatureSchedule(decodingOptions);
    std::string listed;
    for (const float t : temperatures) listed += (listed.empty() ? "" : ", ") + std::to_string(t);
    CoreLog::debug("Decoding with temperatures [" + listed + "]");

    std::optional<DecodingResult> chosen;
    for (std::size_t i = 0; i < temperatures.size(); ++i) {
        const float temperature = temperatures[i];
        CoreLog::info("Decoding Temperature: " + std::to_string(temperature));
        const Stopwatch attemptWatch;
        GreedyTokenSampler sampler(temperature, tokenizer_->specialTokens().endToken, decodingOptions);
        DecodingOptions attemptOptions = decodingOptions;
        if (textDecoder_->isModelMultilingual() && !decodingOptions.language && decodingOptions.detectLanguage) {
            std::optional<DecodingResult> detection;
            try {
                detection = textDecoder_->detectLanguage(encoderSegment, *decoderInputs, sampler, decodingOptions,
                                                         temperature);
            } catch (const std::exception& error) {
                CoreLog::debug(std::string("Language detection failed: ") + error.what());
            }
            detectedLanguage = detection ? std::optional<std::string>(detection->language) : std::nullopt;
            attemptOptions.language = detectedLanguage;
            if (decodingOptions.usePrefillPrompt) {
                decoderInputs = textDecoder_->prefillDecoderInputs(decoderInputs, attemptOptions);
            }
            CoreLog::debug("Prefill prompt updated to: " + tokenList(decoderInputs->initialPrompt()));
            if (detection && detection->timings) {
                timings_.decodingPredictions += detection->timings->decodingPredictions;
                timings_.decodingSampling += detection->timings->decodingSampling;
            }
        }
        chosen = textDecoder_->decodeText(encoderSegment, *decoderInputs, sampler, attemptOptions, callback);
        if (!detectedLanguage) detectedLanguage = chosen->language;
        if (chosen->timings) foldAttempt(timings_, *chosen->timings);

        if (!chosen->fallback || !chosen->fallback->needsFallback) break;
        timings_.decodingFallback += attemptWatch.elapsed();
        // Counted: every attempt that asked for a retry is one fallback.
        timings_.totalDecodingFallbacks += 1;
        resetDecoderInputs(*decoderInputs, decodingOptions.sampleLength);
        CoreLog::info("Fallback #" + std::to_string(i + 1) + " (" + chosen->fallback->fallbackReason + ")");
    }
    if (!chosen) throw WhisperError::decodingFailed("Decoding failed");
    return *chosen;
}

} // namespace hushframe
