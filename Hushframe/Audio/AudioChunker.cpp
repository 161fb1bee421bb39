#include "Hushframe/Audio/AudioChunker.hpp"

#include "Hushframe/Audio/EnergyVAD.hpp"
#include "Hushframe/Core/WhisperError.hpp"
#include "PelluxCore/Logging.hpp"

#include <algorithm>
#include <cstdio>
#include <span>

namespace hushframe {

using pelluxcore::Logging;

namespace {

constexpr float samplesPerSecond = 16000.0F;

std::string twoDecimals(float value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.2f", static_cast<double>(value));
    return text;
}

std::string describe(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const WhisperError& whisperError) {
        return whisperError.errorDescription();
    } catch (const std::exception& other) {
        return other.what();
    } catch (...) {
        return "unknown error";
    }
}

} // namespace

TranscriptionResults AudioChunking::updateSeekOffsetsForResults(const std::vector<TranscriptionOutcome>& chunkedResults,
                                                                const std::vector<AudioChunk>& audioChunks) {
    TranscriptionResults updated;
    const std::size_t count = std::min(chunkedResults.size(), audioChunks.size());
    for (std::size_t i = 0; i < count; ++i) {
        if (const auto* error = std::get_if<std::exception_ptr>(&chunkedResults[i])) {
            Logging::debug("Error transcribing chunk " + std::to_string(i) + ": " + describe(*error));
            continue;
        }
        const auto& results = std::get<TranscriptionResults>(chunkedResults[i]);
        if (results.empty()) continue;
        const float seekTime = static_cast<float>(audioChunks[i].seekOffsetIndex) / samplesPerSecond;
        // Taken from the index itself: past 2^24 samples the seconds no longer
        // hold every sample, and a segment's seek must name its window's first one.
        const std::int64_t seekSamples = audioChunks[i].seekOffsetIndex;
        for (const auto& result : results) {
            std::vector<TranscriptionSegment> segments = result->segments();
            for (auto& segment : segments) {
                segment.seek += seekSamples;
                segment.start += seekTime;
                segment.end += seekTime;
                if (segment.words) {
                    for (auto& word : *segment.words) {
                        word.start += seekTime;
                        word.end += seekTime;
                    }
                }
            }
            result->setSeekTime(seekTime);
            result->setSegments(std::move(segments));
            updated.push_back(result);
        }
    }
    return updated;
}

VADAudioChunker::VADAudioChunker(std::int64_t windowPadding, std::shared_ptr<const VoiceActivityDetector> vad)
    : windowPadding(windowPadding), vad_(vad ? std::move(vad) : std::make_shared<EnergyVAD>()) {}

std::int64_t VADAudioChunker::splitOnMiddleOfLongestSilence(const std::vector<float>& audioArray,
                                                            std::int64_t startIndex, std::int64_t endIndex) const {
    const std::int64_t mid = startIndex + (endIndex - startIndex) / 2;
    const std::span<const float> secondHalf(audioArray.data() + mid, static_cast<std::size_t>(endIndex - mid));
    const auto silence = vad_->findLongestSilence(vad_->voiceActivity(secondHalf));
    if (!silence) return endIndex;
    const std::int64_t middleFrame = silence->startIndex + (silence->endIndex - silence->startIndex) / 2;
    return mid + middleFrame * vad_->frameLengthSamples;
}

std::vector<std::pair<std::int64_t, std::int64_t>> VADAudioChunker::clipSpans(const std::vector<float>& audioArray,
                                                                              std::int64_t clipStart,
                                                                              std::int64_t clipEnd,
                                                                              std::int64_t maxChunkLength) const {
    const auto sampleCount = static_cast<std::int64_t>(audioArray.size());
    const std::int64_t limit = clipEnd - std::max<std::int64_t>(windowPadding, 0);
    std::vector<std::pair<std::int64_t, std::int64_t>> spans;
    std::int64_t position = clipStart;
    while (position < limit) {
        if (position < 0 || position >= sampleCount) {
            throw WhisperError::audioProcessingFailed("startIndex is outside the buffer size");
        }
        const std::int64_t spanEnd = std::min(position + maxChunkLength, sampleCount);
        std::int64_t chunkEnd =
            position + maxChunkLength < clipEnd ? splitOnMiddleOfLongestSilence(audioArray, position, spanEnd) : clipEnd;
        // A clip reaching past the audio ends its chunk with the audio.
        chunkEnd = std::min(chunkEnd, sampleCount);
        if (chunkEnd <= position) break;
        spans.emplace_back(position, chunkEnd);
        position = chunkEnd;
    }
    // The padding keeps a new chunk from starting at a silence close to the
    // clip's end (and a cut that cannot advance ends the cutting); the samples
    // left still belong to chunks of their own.
    const std::int64_t clipStop = std::min(clipEnd, sampleCount);
    while (position < clipStop) {
        const std::int64_t tailEnd = std::min(position + maxChunkLength, clipStop);
        spans.emplace_back(position, tailEnd);
        position = tailEnd;
    }
    return spans;
}

std::vector<AudioChunk> VADAudioChunker::chunkAll(const std::vector<float>& audioArray, std::int64_t maxChunkLength,
                                                  const std::optional<DecodingOptions>& decodeOptions) {
    const auto sampleCount = static_cast<std::int64_t>(audioArray.size());
    if (sampleCount <= maxChunkLength) return {AudioChunk{0, audioArray}};
    if (maxChunkLength < 1) throw WhisperError::audioProcessingFailed("maxChunkLength must be at least one sample");

    const DecodingOptions options = decodeOptions.value_or(DecodingOptions());
    std::vector<std::pair<std::int64_t, std::int64_t>> spans;
    for (const auto& [clipStart, clipEnd] : options.prepareSeekClips(sampleCount)) {
        const auto clip = clipSpans(audioArray, clipStart, clipEnd, maxChunkLength);
        spans.insert(spans.end(), clip.begin(), clip.end());
    }
    std::vector<AudioChunk> chunks;
    chunks.reserve(spans.size());
    for (const auto& [start, end] : spans) {
        Logging::debug("Found chunk from " + twoDecimals(static_cast<float>(start) / samplesPerSecond) + " to " +
                       twoDecimals(static_cast<float>(end) / samplesPerSecond));
        chunks.push_back(AudioChunk{start, std::vector<float>(audioArray.begin() + start, audioArray.begin() + end)});
    }
    return chunks;
}

} // namespace hushframe
