// Language detection: the first window of a recording or an audio file
// through the mel model, the encoder and one language-restricted decoder pass.

#include "Hushframe/Core/Hushframe.hpp"

#include "Hushframe/Audio/AudioProcessor.hpp"
#include "Hushframe/Core/Models/Constants.hpp"
#include "Hushframe/Core/TokenSampler.hpp"
#include "Hushframe/Core/WhisperError.hpp"
#include "Platform/Audio/AudioFile.hpp"

#include <filesystem>

namespace hushframe {

using pelluxcore::Logging;
using pelluxcore::ModelState;

namespace {

constexpr double detectionSeconds = 30.0;

DecodingOptions detectionOptions() {
    DecodingOptions::Arguments arguments;
    arguments.verbose = Logging::isLoggingEnabled();
    arguments.task = DecodingTask::transcribe;
    arguments.language = std::nullopt;
    arguments.detectLanguage = false;
    arguments.suppressTokens = std::vector<int>{};
    arguments.concurrentWorkerCount = 16;
    return DecodingOptions(arguments);
}

} // namespace

DetectedLanguage Hushframe::detectLanguage(const std::string& audioPath) {
    std::error_code error;
    if (!std::filesystem::exists(audioPath, error)) {
        throw WhisperError::loadAudioFailed("Resource path does not exist " + audioPath);
    }
    platform::audio::AudioFile file(audioPath);
    auto buffer = AudioProcessor::loadAudio(file, AudioInputConfig::ChannelMode::sumChannels(), 0, detectionSeconds,
                                            std::nullopt);
    return detectLangauge(AudioProcessor::convertBufferToArray(buffer, AudioProcessor::conversionChunkSize));
}

DetectedLanguage Hushframe::detectLangauge(const std::vector<float>& audioArray) {
    if (modelState() != ModelState::loaded) loadModels(false);
    const auto decoder = textDecoder();
    if (!decoder->isModelMultilingual()) {
        throw WhisperError::decodingFailed("Language detection not supported for this model");
    }
    const auto currentTokenizer = tokenizer();
    if (!currentTokenizer) throw WhisperError::tokenizerUnavailable("Tokenizer is unavailable");

    const DecodingOptions options = detectionOptions();
    const std::vector<int> prompt{currentTokenizer->specialTokens().startOfTranscriptToken};
    const auto decoderInputs = decoder->prepareDecoderInputs(prompt);

    const auto extractor = featureExtractor();
    const int windowSamples = extractor->windowSamples().value_or(Constants::defaultWindowSamples);
    const auto window = audioProcessor()->padOrTrim(audioArray, 0, windowSamples);
    if (!window) throw WhisperError::transcriptionFailed("Audio samples are nil");
    const auto mel = extractor->logMelSpectrogram(*window);
    if (!mel) throw WhisperError::transcriptionFailed("Mel output is nil");
    const auto encoderOutput = audioEncoder()->encodeFeatures(*mel);
    if (!encoderOutput) throw WhisperError::transcriptionFailed("Encoder output is nil");

    GreedyTokenSampler sampler(0, currentTokenizer->specialTokens().endToken, options);
    DecodingResult result;
    try {
        result = decoder->detectLanguage(*encoderOutput, *decoderInputs, sampler, options, 0);
    } catch (...) {
        throw WhisperError::decodingFailed("Language detection failed");
    }
    return {result.language, result.languageProbs};
}

} // namespace hushframe
