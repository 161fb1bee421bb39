// Transcription of sample arrays: the direct run, the run over chunks cut at
// silences, and the bounded batch.

#include "Hushframe/Core/Hushframe.hpp"

#include "Hushframe/Audio/AudioChunker.hpp"
#include "Hushframe/Audio/EnergyVAD.hpp"
#include "Hushframe/Core/DefaultComponents.hpp"
#include "Hushframe/Core/Models/Constants.hpp"
#include "Hushframe/Core/WhisperError.hpp"
#include "PelluxCore/FoundationExtensions.hpp"
#include "PelluxCore/WeakSendableWrapper.hpp"
#include "Platform/Concurrency/Cancellation.hpp"
#include "Platform/Concurrency/TaskGroup.hpp"

#include <algorithm>

namespace hushframe {

using pelluxcore::Logging;
using pelluxcore::ModelState;

namespace {

// No chunk starts within this many samples of the end of its clip.
constexpr std::int64_t chunkerWindowPadding = 16000;

TranscriptionOutcome failure(const std::string& message) {
    return std::make_exception_ptr(WhisperError::transcriptionFailed(message));
}

// Empty without a caller callback, so the decoder builds no progress reports.
TranscriptionCallback windowReporting(const TranscriptionCallback& callback, int windowId) {
    if (!callback) return {};
    return [callback, windowId](const TranscriptionProgress& progress) -> std::optional<bool> {
        TranscriptionProgress copy = progress;
        copy.windowId = windowId;
        return callback(copy);
    };
}

} // namespace

TranscriptionResults Hushframe::transcribe(const std::vector<float>& audioArray,
                                           const std::optional<DecodingOptions>& decodeOptions,
                                           const TranscriptionCallback& callback,
                                           const SegmentDiscoveryCallback& segmentCallback) {
    const int windowSamples = featureExtractor()->windowSamples().value_or(Constants::defaultWindowSamples);
    const bool chunked = decodeOptions && decodeOptions->chunkingStrategy == ChunkingStrategy::vad &&
                         audioArray.size() > static_cast<std::size_t>(windowSamples);
    const auto results =
        chunked ? transcribeInVoiceActivityChunks(audioArray, *decodeOptions, windowSamples, callback)
                : runTranscribeTask(audioArray, decodeOptions, callback,
                                    segmentCallback ? segmentCallback : segmentDiscoveryCallback());
    if (decodeOptions && decodeOptions->verbose) {
        Logging::info("Total Transcription Results: " + std::to_string(results.size()));
        for (std::size_t i = 0; i < results.size(); ++i) {
            Logging::debug("[Result " + std::to_string(i) + "]");
            results[i]->logSegments();
        }
    }
    return results;
}

TranscriptionResults Hushframe::transcribeInVoiceActivityChunks(const std::vector<float>& audioArray,
                                                               const DecodingOptions& decodeOptions, int windowSamples,
                                                               const TranscriptionCallback& callback) {
    std::shared_ptr<const VoiceActivityDetector> detector = voiceActivityDetector();
    if (!detector) detector = std::make_shared<EnergyVAD>();
    VADAudioChunker chunker(chunkerWindowPadding, detector);
    auto chunks = chunker.chunkAll(audioArray, windowSamples, decodeOptions);
    Logging::debug("Found " + std::to_string(chunks.size()) + " VAD chunks");
    {
        const auto parent = progress();
        parent->setTotalUnitCount(std::max<std::int64_t>(parent->totalUnitCount(), static_cast<std::int64_t>(chunks.size())));
    }

    DecodingOptions chunkOptions = decodeOptions;
    chunkOptions.clipTimestamps.clear();
    std::vector<std::vector<float>> arrays;
    std::vector<int> offsets;
    arrays.reserve(chunks.size());
    offsets.reserve(chunks.size());
    // Only the offsets are needed afterwards: the samples move into the batch.
    for (auto& chunk : chunks) {
        arrays.push_back(std::move(chunk.audioSamples));
        offsets.push_back(static_cast<int>(chunk.seekOffsetIndex));
    }
    const auto outcomes = transcribeWithOptions(
        arrays, std::vector<std::optional<DecodingOptions>>(chunks.size(), chunkOptions), offsets, callback);

    // A chunk left out would leave a gap in the transcript that the caller
    // cannot see, so any failed chunk fails the whole call, with the error of
    // the first one that failed.
    std::exception_ptr firstError;
    for (std::size_t i = 0; i < outcomes.size(); ++i) {
        if (const auto* error = std::get_if<std::exception_ptr>(&outcomes[i])) {
            try {
                std::rethrow_exception(*error);
            } catch (const std::exception& cause) {
                Logging::error("Error transcribing chunk " + std::to_string(i) + ": " + cause.what());
            } catch (...) {
                Logging::error("Error transcribing chunk " + std::to_string(i));
            }
            if (!firstError) firstError = *error;
        }
    }
    if (firstError) std::rethrow_exception(firstError);
    return AudioChunking::updateSeekOffsetsForResults(outcomes, chunks);
}

TranscriptionResults Hushframe::runTranscribeTask(const std::vector<float>& audioArray,
                                                  const std::optional<DecodingOptions>& decodeOptions,
                                                  const TranscriptionCallback& callback,
                                                  const SegmentDiscoveryCallback& segmentCallback) {
    // A cancelled run leaves its unfinished child behind; the next run starts
    // from a fresh progress object. Every error is passed on unchanged.
    try {
        if (modelState() != ModelState::loaded) loadModels(false);
        const auto currentTokenizer = tokenizer();
        if (!currentTokenizer) throw WhisperError::tokenizerUnavailable("Tokenizer is unavailable");

        auto child = std::make_shared<Progress>();
        {
            const auto parent = progress();
            parent->setTotalUnitCount(std::max<std::int64_t>(parent->totalUnitCount(), 1));
            parent->addChild(child, 1);
        }
        auto task = setupTranscribeTask(currentTimings(), child, audioProcessor(), audioEncoder(), featureExtractor(),
                                        segmentSeeker(), textDecoder(), currentTokenizer);
        task->segmentDiscoveryCallback = segmentCallback;
        const auto result = task->run(audioArray, decodeOptions, callback);
        if (decodeOptions && decodeOptions->verbose) result->logTimings();
        replaceFinishedProgress();
        return {result};
    } catch (const platform::CancellationError&) {
        replaceProgress();
        throw;
    }
}

std::unique_ptr<TranscribeTask> Hushframe::setupTranscribeTask(
    const TranscriptionTimings& currentTimings, std::shared_ptr<Progress> progress,
    std::shared_ptr<AudioProcessing> audioProcessor, std::shared_ptr<AudioEncoding> audioEncoder,
    std::shared_ptr<FeatureExtracting> featureExtractor, std::shared_ptr<SegmentSeeking> segmentSeeker,
    std::shared_ptr<TextDecoding> textDecoder, std::shared_ptr<WhisperTokenizer> tokenizer) {
    return DefaultComponents::transcribeTask(currentTimings, std::move(progress), std::move(audioProcessor),
                                             std::move(audioEncoder), std::move(featureExtractor),
                                             std::move(segmentSeeker), std::move(textDecoder), std::move(tokenizer));
}

std::vector<TranscriptionOutcome> Hushframe::transcribeWithOptions(
    const std::vector<std::vector<float>>& audioArrays,
    const std::vector<std::optional<DecodingOptions>>& decodeOptionsArray,
    const std::optional<std::vector<int>>& seekOffsets, const TranscriptionCallback& callback) {
    if (decodeOptionsArray.size() != audioArrays.size()) {
        return {failure("The number of audio arrays and decoding options must be balanced.")};
    }
    if (seekOffsets && seekOffsets->size() != audioArrays.size()) {
        return {failure("The number of audio arrays and seek offset indexes must be balanced.")};
    }
    if (audioArrays.empty()) return {};
    // Children would otherwise each start loading the same models at once.
    if (modelState() != ModelState::loaded) {
        try {
            loadModels(false);
        } catch (...) {
            return std::vector<TranscriptionOutcome>(audioArrays.size(), std::current_exception());
        }
    }

    int largestWorkerCount = 0;
    for (const auto& options : decodeOptionsArray) {
        largestWorkerCount = std::max(largestWorkerCount, options ? options->concurrentWorkerCount : 0);
    }
    // Zero or fewer workers would either run everything at once or nothing at all.
    const int workers = std::max(largestWorkerCount, 1);

    std::vector<std::size_t> positions(audioArrays.size());
    for (std::size_t p = 0; p < positions.size(); ++p) positions[p] = p;

    const pelluxcore::WeakSendableWrapper<Hushframe> weakSelf(shared_from_this());
    const SegmentDiscoveryCallback discovery = segmentDiscoveryCallback();
    std::vector<TranscriptionOutcome> outcomes(audioArrays.size());
    for (const auto& batch : pelluxcore::batched(positions, workers)) {
        platform::TaskGroup group;
        for (const std::size_t p : batch) {
            SegmentDiscoveryCallback segmentCallback = discovery;
            if (seekOffsets) {
                segmentCallback = [discovery, offset = (*seekOffsets)[p]](
                                      const std::vector<TranscriptionSegment>& segments) {
                    if (!discovery) return;
                    auto shifted = segments;
                    for (auto& segment : shifted) segment.seek += offset;
                    discovery(shifted);
                };
            }
            group.spawn([&, p, segmentCallback](std::stop_token) {
                const auto self = weakSelf.value();
                if (!self) {
                    outcomes[p] = failure("Hushframe instance was deallocated");
                    return;
                }
                try {
                    outcomes[p] = self->transcribe(audioArrays[p], decodeOptionsArray[p],
                                                   windowReporting(callback, static_cast<int>(p)), segmentCallback);
                } catch (...) {
                    outcomes[p] = std::current_exception();
                }
            });
        }
        group.wait();
    }
    return outcomes;
}

std::vector<TranscriptionOutcome> Hushframe::transcribeWithResults(const std::vector<std::vector<float>>& audioArrays,
                                                                   const std::optional<DecodingOptions>& decodeOptions,
                                                                   const TranscriptionCallback& callback) {
    const std::vector<std::optional<DecodingOptions>> options(audioArrays.size(), decodeOptions);
    return transcribeWithOptions(audioArrays, options, std::nullopt, callback);
}

std::vector<std::optional<TranscriptionResults>> Hushframe::transcribe(
    const std::vector<std::vector<float>>& audioArrays, const std::optional<DecodingOptions>& decodeOptions,
    const TranscriptionCallback& callback) {
    return toOptionalArrays(transcribeWithResults(audioArrays, decodeOptions, callback));
}

} // namespace hushframe
