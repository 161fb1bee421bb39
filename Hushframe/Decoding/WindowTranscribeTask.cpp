#include "Hushframe/Decoding/WindowTranscribeTask.hpp"

#include "Platform/Concurrency/Cancellation.hpp"

#include "Hushframe/Audio/AudioProcessor.hpp"
#include "Hushframe/Core/LogCategories.hpp"
#include "Hushframe/Core/Models/Constants.hpp"
#include "Hushframe/Core/WhisperError.hpp"
#include "Hushframe/Decoding/DecodingClock.hpp"
#include "Hushframe/Decoding/DecodingInputsReset.hpp"
#include "Hushframe/Decoding/SpaceTrimming.hpp"
#include "Hushframe/Decoding/TextTokens.hpp"
#include "PelluxCore/Logging.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace hushframe {

using CoreLog = pelluxcore::Logging;

namespace {

constexpr std::int64_t sampleRate = 16000;

std::string format2(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", value);
    return text;
}

std::string threeDigits(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3g", value);
    return text;
}

void logWords(const std::vector<TranscriptionSegment>& segments) {
    CoreLog::debug("Word timestamps:");
    for (const auto& segment : segments) {
        for (const auto& word : segment.words.value_or(std::vector<WordTiming>{})) {
            CoreLog::debug("[" + threeDigits(word.start) + " -> " + threeDigits(word.end) +
                           "] prob: " + std::to_string(word.probability) + ", word: " + word.word);
        }
    }
}

} // namespace

struct WindowTranscribeTask::RunState {
    DecodingOptions options;
    int resetContext = Constants::maxTokenContext;
    const std::vector<float>& audio;
    std::shared_ptr<DecodingInputsType> decoderInputs;
    std::optional<std::string> detectedLanguage;
    std::vector<int> allTokens;
    std::vector<TranscriptionSegment> allSegments;
    std::int64_t clipStart = 0;
    std::int64_t completedBeforeClip = 0;
};

WindowTranscribeTask::WindowTranscribeTask(const TranscriptionTimings& currentTimings, std::shared_ptr<Progress> progress,
                                           std::shared_ptr<AudioProcessing> audioProcessor,
                                           std::shared_ptr<AudioEncoding> audioEncoder,
                                           std::shared_ptr<FeatureExtracting> featureExtractor,
                                           std::shared_ptr<SegmentSeeking> segmentSeeker,
                                           std::shared_ptr<TextDecoding> textDecoder,
                                           std::shared_ptr<WhisperTokenizer> tokenizer)
    : timings_(currentTimings), progress_(progress ? std::move(progress) : std::make_shared<Progress>()),
      audioEncoder_(std::move(audioEncoder)), featureExtractor_(std::move(featureExtractor)),
      segmentSeeker_(std::move(segmentSeeker)), textDecoder_(std::move(textDecoder)),
      audioProcessor_(audioProcessor ? std::move(audioProcessor) : std::make_shared<AudioProcessor>()),
      tokenizer_(std::move(tokenizer)) {}

std::string WindowTranscribeTask::tokenList(const std::vector<int>& tokens) const {
    std::string text = "[";
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        text += (i ? ", \"" : "\"") + tokenizer_->convertIdToToken(tokens[i]).value_or("") + "\"";
    }
    return text + "]";
}

void WindowTranscribeTask::windowPreprocess(const AudioProcessorOutputType&, std::int64_t, std::int64_t) {}

std::vector<TranscriptionSegment> WindowTranscribeTask::windowPostProcess(std::int64_t, std::int64_t,
                                                                          std::vector<TranscriptionSegment> segments) {
    return segments;
}

std::shared_ptr<TranscriptionResult> WindowTranscribeTask::run(const std::vector<float>& audioArray,
                                                               const std::optional<DecodingOptions>& decodeOptions,
                                                               const TranscriptionCallback& callback) {
    auto& signposter = Logging::TranscribeTask::signposter();
    const auto interval = Logging::beginSignpost("TranscribeAudio", signposter);
    struct IntervalGuard {
        OSSignposter& signposter;
        const OSSignpostIntervalState& interval;
        ~IntervalGuard() { Logging::endSignpost("TranscribeAudio", interval, signposter); }
    } guard{signposter, interval};

    if (!tokenizer_) throw WhisperError::tokenizerUnavailable("Tokenizer is unavailable");
    timings_.pipelineStart = std::min(timings_.pipelineStart, absoluteTimeNow());
    CoreLog::debug("Starting pipeline at: " + std::to_string(absoluteTimeNow()));
    RunState state{decodeOptions.value_or(DecodingOptions()), Constants::maxTokenContext, audioArray, nullptr,
                   std::nullopt, {}, {}, 0, 0};
    state.options.verbose = CoreLog::isLoggingEnabled();
    if (decodeOptions) state.resetContext = decodeOptions->sampleLength;
    const double firstClipTime =
        decodeOptions && !decodeOptions->clipTimestamps.empty() ? decodeOptions->clipTimestamps.front() : 0.0;
    timings_.inputAudioSeconds = static_cast<double>(audioArray.size()) / 16000.0 - firstClipTime;

    const Stopwatch initWatch;
    state.decoderInputs = textDecoder_->prepareDecoderInputs({tokenizer_->specialTokens().startOfTranscriptToken});
    timings_.decodingInit = initWatch.elapsed();
    CoreLog::debug("Decoder init time: " + std::to_string(timings_.decodingInit));
    if (state.options.usePrefillPrompt) {
        state.decoderInputs = textDecoder_->prefillDecoderInputs(state.decoderInputs, state.options);
    }
    CoreLog::debug("Prefill prompt: " + tokenList(state.decoderInputs->initialPrompt()));

    const auto contentFrames = static_cast<std::int64_t>(audioArray.size());
    const auto seekClips = state.options.prepareSeekClips(contentFrames);
    std::int64_t total = 0;
    for (const auto& [start, end] : seekClips) total += end - start;
    progress_->setTotalUnitCount(total);

    const Stopwatch loopWatch;
    const float clipPaddingValue = state.options.windowClipTime * static_cast<float>(sampleRate);
    if (!std::isfinite(clipPaddingValue) || std::abs(clipPaddingValue) > 9.0e18F) {
        throw WhisperError::transcriptionFailed("windowClipTime is out of range");
    }
    const auto clipPadding = static_cast<std::int64_t>(clipPaddingValue);
    for (const auto& [start, end] : seekClips) {
        state.clipStart = start;
        state.completedBeforeClip = progress_->completedUnitCount();
        const std::int64_t windowLength = featureExtractor_->windowSamples().value_or(Constants::defaultWindowSamples);
        std::int64_t seek = std::max<std::int64_t>(start, 0);
        // A clip reaching past the audio decodes only the samples there are.
        while (seek < end - clipPadding && seek < end && seek < contentFrames) {
            seek = decodeWindow(state, seek, end, windowLength, callback);
        }
    }
    progress_->setCompletedUnitCount(progress_->totalUnitCount());
    timings_.decodingLoop = loopWatch.elapsed();
    timings_.fullPipeline = absoluteTimeNow() - timings_.pipelineStart;
    return finalizeTranscriptionResult(state.allTokens, state.allSegments, state.detectedLanguage, timings_);
}

std::int64_t WindowTranscribeTask::decodeWindow(RunState& state, std::int64_t seek, std::int64_t clipEnd,
                                                std::int64_t windowLength, const TranscriptionCallback& callback) {
    const auto contentFrames = static_cast<std::int64_t>(state.audio.size());
    const std::int64_t segmentSize = std::min({windowLength, contentFrames - seek, clipEnd - seek});
    const float startTime = static_cast<float>(seek) / sampleRate;
    const float endTime = static_cast<float>(seek + segmentSize) / sampleRate;
    CoreLog::debug("Decoding Seek: " + std::to_string(seek) + " (" + format2(startTime) + "s)");
    CoreLog::debug("Decoding Window Size: " + std::to_string(segmentSize) + " (" + format2(endTime - startTime) + "s)");

    const Stopwatch audioWatch;
    const std::span<const float> samples(state.audio.data() + seek, static_cast<std::size_t>(segmentSize));
    const auto padded = audioProcessor_->padOrTrim(samples, 0, windowLength);
    if (!padded) throw WhisperError::transcriptionFailed("Audio samples are nil");
    windowPreprocess(*padded, seek, segmentSize);
    timings_.audioProcessing += audioWatch.elapsed();
    timings_.totalAudioProcessingRuns += 1;

    platform::checkCancellation(stopToken);
    const Stopwatch melWatch;
    const auto features = featureExtractor_->logMelSpectrogram(*padded);
    if (!features) throw WhisperError::transcriptionFailed("Mel output is nil");
    timings_.logmels += melWatch.elapsed();
    timings_.totalLogmelRuns += 1;

    platform::checkCancellation(stopToken);
    const Stopwatch encoderWatch;
    const auto encoded = audioEncoder_->encodeFeatures(*features);
    if (!encoded) throw WhisperError::transcriptionFailed("Encoder output is nil");
    timings_.encoding += encoderWatch.elapsed();
    timings_.totalEncodingRuns += 1;
    CoreLog::info("Decoding " + format2(startTime) + "s - " + format2(endTime) + "s");

    // Windows with segments so far: fallbacks do not make windows, so they must
    // not lower the id. A window without segments reports under the id the
    // next window takes, whose text replaces what it decoded.
    const auto windowId = static_cast<std::int64_t>(timings_.totalDecodingWindows);
    // Left empty without a caller callback, so the decoder builds no progress reports.
    TranscriptionCallback wrapped;
    if (callback) {
        wrapped = [windowId, callback](const TranscriptionProgress& progress) -> std::optional<bool> {
            TranscriptionProgress copy = progress;
            copy.windowId = windowId;
            return callback(copy);
        };
    }
    platform::checkCancellation(stopToken);
    const DecodingResult result =
        decodeWithFallback(*encoded, state.options, state.decoderInputs, state.detectedLanguage, wrapped);
    const Stopwatch windowingWatch;

    const SpecialTokens& special = tokenizer_->specialTokens();
    auto [proposedSeek, found] = segmentSeeker_->findSeekPointAndSegments(
        result, state.options, static_cast<std::int64_t>(state.allSegments.size()), seek, segmentSize, sampleRate,
        special.timeTokenBegin, special.specialTokenBegin, *tokenizer_);
    std::int64_t newSeek = std::max(seek, proposedSeek);

    if (state.options.wordTimestamps && result.cache && result.cache->alignmentWeights) {
        const Stopwatch wordWatch;
        const auto lastSpeech = static_cast<float>(static_cast<double>(seek) / 16000.0);
        auto withWords = segmentSeeker_->addWordTimestamps(
            found.value_or(std::vector<TranscriptionSegment>{}), *result.cache->alignmentWeights, *tokenizer_, seek,
            segmentSize, std::string(Constants::defaultPrependPunctuations),
            std::string(Constants::defaultAppendPunctuations), lastSpeech, state.options, timings_);
        timings_.decodingWordTimestamps += wordWatch.elapsed();
        timings_.totalTimestampAlignmentRuns += 1;
        if (withWords) std::erase_if(*withWords, [](const TranscriptionSegment& s) { return !(s.end > s.start); });
        found = std::move(withWords);
        if (found && !found->empty()) {
            newSeek = std::max(newSeek, static_cast<std::int64_t>(found->back().end * static_cast<float>(sampleRate)));
        }
        if (state.options.verbose && found) logWords(*found);
    }
    if (state.options.maxWindowSeek) newSeek = std::min(newSeek, seek + *state.options.maxWindowSeek);
    // A proposal that does not advance would decode the same window forever.
    if (newSeek <= seek) newSeek = seek + std::max<std::int64_t>(segmentSize, 1);

    if (!found || found->empty()) {
        // The next window must not decode against this window's cache.
        resetDecoderInputs(*state.decoderInputs, state.resetContext);
        return newSeek;
    }
    auto kept = windowPostProcess(seek, segmentSize, std::move(*found));
    if (state.options.verbose) {
        CoreLog::debug("Segments for window:");
        for (const auto& segment : kept) {
            CoreLog::debug("[" + format2(segment.start) + " --> " + format2(segment.end) + "] " + segment.text);
        }
    }
    if (segmentDiscoveryCallback) segmentDiscoveryCallback(kept);
    for (const auto& segment : kept) {
        state.allTokens.insert(state.allTokens.end(), segment.tokens.begin(), segment.tokens.end());
        state.allSegments.push_back(segment);
    }
    timings_.decodingWindowing += windowingWatch.elapsed();
    timings_.totalDecodingWindows += 1;
    resetDecoderInputs(*state.decoderInputs, state.resetContext);
    progress_->setCompletedUnitCount(std::min(newSeek, clipEnd) - state.clipStart + state.completedBeforeClip);
    return newSeek;
}

std::shared_ptr<TranscriptionResult> WindowTranscribeTask::finalizeTranscriptionResult(
    const std::vector<int>& tokens, std::vector<TranscriptionSegment> segments,
    const std::optional<std::string>& language, const TranscriptionTimings& timings) const {
    const auto text = tokenizer_->decode(textTokens(tokens, tokenizer_->specialTokens().specialTokenBegin));
    return std::make_shared<TranscriptionResult>(trimSpaces(text), std::move(segments),
                                                 language.value_or("en"), timings);
}

} // namespace hushframe
