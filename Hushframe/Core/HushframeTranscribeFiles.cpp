// Transcription of audio files: one file, or many loaded in parallel and
// transcribed as a batch, with the transcription-state reports and the
// audio-loading time.

#include "Hushframe/Core/Hushframe.hpp"

#include "Hushframe/Audio/AudioProcessor.hpp"
#include "Hushframe/Core/WhisperError.hpp"

#include <chrono>

namespace hushframe {

using pelluxcore::Logging;

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void report(const Hushframe::TranscriptionStateCallback& callback, TranscriptionState state) {
    if (callback) callback(state);
}

} // namespace

TranscriptionResults Hushframe::transcribe(const std::string& audioPath,
                                           const std::optional<DecodingOptions>& decodeOptions,
                                           const TranscriptionCallback& callback) {
    const TranscriptionStateCallback stateCallback = transcriptionStateCallback();
    report(stateCallback, TranscriptionState::convertingAudio);

    const auto start = Clock::now();
    std::vector<float> samples;
    std::exception_ptr loadingError;
    try {
        samples = AudioProcessor::loadAudioAsFloatArray(audioPath, audioInputConfig().channelMode, 0, std::nullopt);
    } catch (...) {
        loadingError = std::current_exception();
    }
    const double loadingTime = secondsSince(start);
    modifyCurrentTimings([&](TranscriptionTimings& timings) { timings.audioLoading = loadingTime; });
    Logging::debug("Audio loading and convert time:", loadingTime);
    Logging::logCurrentMemoryUsage("Audio Loading and Convert");
    if (loadingError) std::rethrow_exception(loadingError);

    report(stateCallback, TranscriptionState::transcribing);
    TranscriptionResults results;
    try {
        results = transcribe(samples, decodeOptions, callback, {});
    } catch (...) {
        report(stateCallback, TranscriptionState::finished);
        throw;
    }
    report(stateCallback, TranscriptionState::finished);
    return results;
}

std::vector<TranscriptionOutcome> Hushframe::transcribeWithResults(const std::vector<std::string>& audioPaths,
                                                                   const std::optional<DecodingOptions>& decodeOptions,
                                                                   const TranscriptionCallback& callback) {
    const TranscriptionStateCallback stateCallback = transcriptionStateCallback();
    report(stateCallback, TranscriptionState::convertingAudio);
    const auto start = Clock::now();

    auto loaded = AudioProcessor::loadAudio(audioPaths, audioInputConfig().channelMode);
    std::vector<std::vector<float>> arrays;
    for (auto& outcome : loaded) {
        if (auto* samples = std::get_if<std::vector<float>>(&outcome)) arrays.push_back(std::move(*samples));
    }
    const double loadingTime = secondsSince(start);
    modifyCurrentTimings([&](TranscriptionTimings& timings) { timings.audioLoading = loadingTime; });
    Logging::debug("Total Audio Loading and Converting Time:", loadingTime);

    report(stateCallback, TranscriptionState::transcribing);
    const auto transcribed = transcribeWithResults(arrays, decodeOptions, callback);

    std::vector<TranscriptionOutcome> merged;
    merged.reserve(loaded.size());
    std::size_t next = 0;
    for (const auto& outcome : loaded) {
        if (const auto* error = std::get_if<std::exception_ptr>(&outcome)) {
            merged.emplace_back(*error);
        } else if (next < transcribed.size()) {
            merged.push_back(transcribed[next++]);
        } else {
            // The batch answers every array it is given; should it not, the
            // path still gets an answer rather than another path's.
            merged.emplace_back(
                std::make_exception_ptr(WhisperError::transcriptionFailed("The audio file was not transcribed")));
        }
    }
    report(stateCallback, TranscriptionState::finished);
    return merged;
}

std::vector<std::optional<TranscriptionResults>> Hushframe::transcribe(const std::vector<std::string>& audioPaths,
                                                                       const std::optional<DecodingOptions>& decodeOptions,
                                                                       const TranscriptionCallback& callback) {
    return toOptionalArrays(transcribeWithResults(audioPaths, decodeOptions, callback));
}

} // namespace hushframe
