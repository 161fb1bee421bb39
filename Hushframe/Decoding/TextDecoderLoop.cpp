#include "Hushframe/Core/Models/Constants.hpp"
#include "Hushframe/Core/Models/DecodingFallback.hpp"
#include "Hushframe/Core/Models/TextOperations.hpp"
#include "Hushframe/Core/WhisperError.hpp"
#include "Hushframe/Decoding/DecodingClock.hpp"
#include "Hushframe/Decoding/Float32Logits.hpp"
#include "Hushframe/Decoding/TextDecoder.hpp"
#include "Hushframe/Decoding/TextTokens.hpp"
#include "Hushframe/Decoding/TextUtilities.hpp"
#include "PelluxCore/Logging.hpp"

#include <algorithm>
#include <cstdio>
#include <cmath>
#include <numeric>

namespace hushframe {

using platform::coreml::MLMultiArray;
using pelluxcore::Logging;

namespace {

// The longest token sequence a window may grow to, prompt included.
constexpr std::int64_t maxSequenceTokens = 223;

float mean(const std::vector<float>& values) {
    if (values.empty()) return 0;
    return std::accumulate(values.begin(), values.end(), 0.0F) / static_cast<float>(values.size());
}

std::string tokenText(const WhisperTokenizer& tokenizer, int token) { return tokenizer.decode(std::span(&token, 1)); }

// The softmax probability of `token` among the raw scores.
float probabilityOf(const MLMultiArray& logits, int token) {
    const std::int64_t count = logits.shape().back();
    if (token < 0 || token >= count) return 0;
    double top = -std::numeric_limits<double>::infinity();
    for (std::int64_t i = 0; i < count; ++i) top = std::max(top, logits[i].doubleValue());
    if (!std::isfinite(top)) return 0;
    double sum = 0;
    for (std::int64_t i = 0; i < count; ++i) sum += std::exp(logits[i].doubleValue() - top);
    return static_cast<float>(std::exp(logits[token].doubleValue() - top) / sum);
}

std::string formatted(const char* format, double a, double b = 0, double c = 0, double d = 0, double e = 0,
                      long f = 0) {
    char text[160];
    std::snprintf(text, sizeof text, format, a, b, c, d, e, f);
    return text;
}

// The first cache positions of the inputs, one debug line each.
void debugCaches(const DecodingInputs& inputs, std::int64_t tokenIndex, std::int64_t prefillSize) {
    if (!Logging::isLoggingEnabled(Logging::LogLevel::debug)) return;
    Logging::debug("--------------- DECODER INPUTS DEBUG ---------------");
    Logging::debug(formatted("Cache Length: %2.0f Input Token: %4.0f", inputs.cacheLength()[0].doubleValue(),
                             inputs.inputIds()[0].doubleValue()));
    Logging::debug("Key Cache | Val Cache | Align Cache | Update Mask | Decoder Mask | Position");
    const std::int64_t positions = std::min<std::int64_t>(
        {prefillSize + 4, 224, inputs.kvCacheUpdateMask().count(), inputs.alignmentWeights().shape().at(0)});
    for (std::int64_t i = 0; i < positions; ++i) {
        Logging::debug(formatted("%9.6f | %9.6f | %9.6f | %11.0f | %12.0f | %ld",
                                 inputs.keyCache()[i].doubleValue(), inputs.valueCache()[i].doubleValue(),
                                 (inputs.alignmentWeights()[{i, 0}]).doubleValue(),
                                 inputs.kvCacheUpdateMask()[i].doubleValue(),
                                 inputs.decoderKeyPaddingMask()[i].doubleValue(), static_cast<long>(i)));
    }
    (void)tokenIndex;
}

TranscriptionTimings windowTimings() {
    TranscriptionTimings timings;
    timings.firstTokenTime = std::numeric_limits<double>::max();
    return timings;
}

} // namespace

std::vector<std::shared_ptr<LogitsFiltering>> TextDecoder::createLogitsFilters(const DecodingOptions& options,
                                                                               std::int64_t prefilledIndex,
                                                                               std::int64_t initialPromptIndex,
                                                                               const WhisperTokenizer& tokenizer) const {
    const SpecialTokens& special = tokenizer.specialTokens();
    std::vector<std::shared_ptr<LogitsFiltering>> filters = logitsFilters();
    if (options.suppressBlank) filters.push_back(std::make_shared<SuppressBlankFilter>(special, prefilledIndex));
    if (!options.suppressTokens.empty()) {
        filters.push_back(
            std::make_shared<SuppressTokensFilter>(textTokens(options.suppressTokens, special.specialTokenBegin)));
    }
    if (!options.withoutTimestamps) {
        std::optional<std::int64_t> maxInitialIndex;
        if (options.maxInitialTimestamp) {
            const double quotient = std::trunc(static_cast<double>(*options.maxInitialTimestamp) / 0.02);
            if (!std::isfinite(quotient) || std::abs(quotient) > 9.0e18) {
                throw WhisperError::decodingFailed("maxInitialTimestamp is out of range");
            }
            maxInitialIndex = static_cast<std::int64_t>(quotient);
        }
        filters.push_back(std::make_shared<TimestampRulesFilter>(special, initialPromptIndex, maxInitialIndex,
                                                                 isModelMultilingual()));
    }
    return filters;
}

DecodingResult TextDecoder::decodeText(const AudioEncoderOutputType& from, DecodingInputsType& decoderInputs,
                                       TokenSampling& sampler, const DecodingOptions& options,
                                       const TranscriptionCallback& callback) {
    const auto currentTokenizer = tokenizer();
    if (!currentTokenizer) throw WhisperError::tokenizerUnavailable("Tokenizer is unavailable");
    const WhisperTokenizer& words = *currentTokenizer;
    const SpecialTokens& special = words.specialTokens();

    const std::int64_t prefilledIndex = decoderInputs.cacheLength()[0].int32Value();
    const std::vector<int> prompt = decoderInputs.initialPrompt();
    const auto initialPromptIndex = static_cast<std::int64_t>(prompt.size());
    std::vector<int> currentTokens = prompt;
    std::vector<float> logProbs(prompt.size(), 0.0F);
    int nextToken = prompt.empty() ? special.startOfTranscriptToken : prompt.back();
    const auto filters = createLogitsFilters(options, prefilledIndex, initialPromptIndex, words);

    // Every pass writes cache column tokenIndex and opens column tokenIndex + 1,
    // so the loop must stop one column before the cache's end.
    std::int64_t loopCount = std::min<std::int64_t>(options.sampleLength, maxSequenceTokens);
    if (const auto cacheLength = kvCacheMaxSequenceLength()) loopCount = std::min<std::int64_t>(loopCount, *cacheLength - 1);
    Logging::debug("Running main loop for a maximum of " + std::to_string(loopCount) + " iterations, starting at index " +
                   std::to_string(prefilledIndex));

    auto* inputs = dynamic_cast<DecodingInputs*>(&decoderInputs);
    if (!inputs) throw WhisperError::prepareDecoderInputsFailed("DecodingInputsType must be DecodingInputs");

    const platform::Uuid windowUUID;
    earlyStopActor_.set(false, windowUUID);
    TranscriptionTimings timings = windowTimings();
    const auto sotPosition = std::find(prompt.begin(), prompt.end(), special.startOfTranscriptToken) - prompt.begin();
    float noSpeechProb = 0;
    bool hasAlignment = false;
    bool firstTokenLogProbTooLow = false;

    for (std::int64_t tokenIndex = prefilledIndex; tokenIndex < loopCount; ++tokenIndex) {
        const Stopwatch loopWatch;
        if (tokenIndex < initialPromptIndex) {
            const bool lastPromptPosition = tokenIndex == initialPromptIndex - 1;
            const int promptToken = currentTokens[static_cast<std::size_t>(tokenIndex)];
            if (lastPromptPosition && promptToken >= special.timeTokenBegin && nextToken >= special.timeTokenBegin) {
                currentTokens[static_cast<std::size_t>(tokenIndex)] = nextToken;
                Logging::debug("Skipping prompt tokenIndex: " + std::to_string(tokenIndex) + ", token: " +
                               std::to_string(nextToken) + ", text: " + tokenText(words, nextToken));
            } else {
                nextToken = promptToken;
                Logging::debug("Forcing prompt tokenIndex: " + std::to_string(tokenIndex) + ", token: " +
                               std::to_string(nextToken) + ", text: " + tokenText(words, nextToken));
            }
        }
        inputs->inputIds()[0] = nextToken;
        inputs->cacheLength()[0] = static_cast<double>(tokenIndex);
        if (tokenIndex <= prefilledIndex + 3) debugCaches(*inputs, tokenIndex, prefilledIndex);

        const Stopwatch predictionWatch;
        const auto output = predictLogits({inputs->inputIds(), inputs->cacheLength(), inputs->keyCache(),
                                           inputs->valueCache(), inputs->kvCacheUpdateMask(), from,
                                           inputs->decoderKeyPaddingMask()});
        if (!output.logits) throw WhisperError::decodingLogitsFailed("Unable to decode logits");
        timings.decodingPredictions += predictionWatch.elapsed();
        if (tokenIndex == sotPosition) noSpeechProb = probabilityOf(*output.logits, special.noSpeechToken);

        const Stopwatch filteringWatch;
        MLMultiArray logits = float32Logits(*output.logits);
        for (const auto& filter : filters) logits = filter->filterLogits(logits, currentTokens);
        timings.decodingFiltering += filteringWatch.elapsed();

        const Stopwatch samplingWatch;
        const SamplingResult sampled = sampler.update(currentTokens, logits, logProbs);
        nextToken = sampled.tokens.back();
        const float nextLogprob = sampled.logProbs.back();
        Logging::debug("Predicted next tokenIndex: " + std::to_string(tokenIndex + 1) + ", token: " +
                       std::to_string(nextToken) + ", text: " + tokenText(words, nextToken));
        timings.decodingSampling += samplingWatch.elapsed();

        bool stop = sampled.completed;
        if (tokenIndex == prefilledIndex) {
            firstTokenLogProbTooLow =
                options.firstTokenLogProbThreshold && nextLogprob < *options.firstTokenLogProbThreshold;
            stop = stop || firstTokenLogProbTooLow;
        }
        stop = stop || static_cast<std::int64_t>(currentTokens.size()) >= maxSequenceTokens;
        if (!stop) {
            if (tokenIndex >= initialPromptIndex - 1) {
                currentTokens.push_back(nextToken);
                logProbs.push_back(nextLogprob);
            }
            const auto& cache = output.cache;
            if (!cache || !cache->keyCache || !cache->valueCache) {
                throw WhisperError::decodingLogitsFailed("Invalid model output");
            }
            const Stopwatch kvWatch;
            updateKVCache(inputs->keyCache(), *cache->keyCache, inputs->valueCache(), *cache->valueCache, tokenIndex);
            inputs->decoderKeyPaddingMask()[tokenIndex + 1] = 0;
            inputs->kvCacheUpdateMask()[tokenIndex] = 0;
            inputs->kvCacheUpdateMask()[tokenIndex + 1] = 1;
            if (cache->alignmentWeights) {
                updateAlignmentWeights(inputs->alignmentWeights(), *cache->alignmentWeights, tokenIndex);
                hasAlignment = true;
            }
            timings.decodingKvCaching += kvWatch.elapsed();
            timings.totalKVUpdateRuns += 1;

            if (callback) {
                const auto progressTokens =
                    options.skipSpecialTokens ? textTokens(currentTokens, special.specialTokenBegin) : currentTokens;
                TranscriptionProgress progress{timings, words.decode(progressTokens), currentTokens, std::nullopt,
                                               mean(logProbs), TextUtilities::compressionRatio(currentTokens), 0};
                const auto answer = callback(progress);
                if (answer == false && tokenIndex >= initialPromptIndex - 1) {
                    Logging::debug("Early stopping");
                    earlyStopActor_.set(true, windowUUID);
                }
            }
        }
        timings.decodingNonPrediction += filteringWatch.elapsed();
        timings.decodingLoop += loopWatch.elapsed();
        timings.totalDecodingLoops += 1;
        if (tokenIndex == prefilledIndex) timings.firstTokenTime = absoluteTimeNow();
        if (stop || earlyStopActor_.get(windowUUID)) break;
    }

    if (!earlyStopActor_.remove(windowUUID)) {
        Logging::error("Early stop flag not found for window: " + windowUUID.toString());
    }
    DecodingCache cache{inputs->keyCache(), inputs->valueCache(),
                        hasAlignment ? std::optional<MLMultiArray>(inputs->alignmentWeights()) : std::nullopt};
    const SamplingResult finalResult = sampler.finalize(currentTokens, logProbs);

    const auto& all = finalResult.tokens;
    const auto startIt = std::find(all.begin(), all.end(), special.startOfTranscriptToken);
    const std::size_t start = startIt == all.end() ? 0 : static_cast<std::size_t>(startIt - all.begin());
    auto endIt = std::find(all.begin() + static_cast<std::ptrdiff_t>(start), all.end(), special.endToken);
    const std::size_t end = endIt == all.end() ? all.size() - 1 : static_cast<std::size_t>(endIt - all.begin());

    DecodingResult result;
    result.tokens.assign(all.begin() + static_cast<std::ptrdiff_t>(start), all.begin() + static_cast<std::ptrdiff_t>(end) + 1);
    const std::vector<float> keptLogProbs(finalResult.logProbs.begin() + static_cast<std::ptrdiff_t>(start),
                                          finalResult.logProbs.begin() + static_cast<std::ptrdiff_t>(end) + 1);
    result.avgLogProb = mean(keptLogProbs);
    for (std::size_t k = 0; k < result.tokens.size(); ++k) result.tokenLogProbs.push_back({{result.tokens[k], keptLogProbs[k]}});
    result.compressionRatio = TextUtilities::compressionRatio(textTokens(result.tokens, special.specialTokenBegin));
    if (const auto* greedy = dynamic_cast<const GreedyTokenSampler*>(&sampler)) {
        result.temperature = std::round(greedy->temperature * 1000.0F) / 1000.0F;
    } else {
        result.temperature = options.temperature;
    }
    if (options.language) {
        result.language = *options.language;
        result.languageProbs = {{result.language, 0.0F}};
    } else {
        result.language = "en";
        result.languageProbs = {{"en", 0.0F}};
        for (std::size_t k = 0; k < result.tokens.size(); ++k) {
            if (!words.allLanguageTokens().contains(result.tokens[k])) continue;
            result.language = trimmingSpecialTokenCharacters(tokenText(words, result.tokens[k]));
            result.languageProbs = {{result.language, keptLogProbs[k]}};
            break;
        }
    }
    result.text = words.decode(result.tokens);
    Logging::debug("Completed window: " + result.text);
    result.noSpeechProb = noSpeechProb;
    result.cache = std::move(cache);
    result.timings = timings;
    result.fallback = DecodingFallback::make(options, firstTokenLogProbTooLow, noSpeechProb, result.compressionRatio,
                                             result.avgLogProb);
    return result;
}

} // namespace hushframe
