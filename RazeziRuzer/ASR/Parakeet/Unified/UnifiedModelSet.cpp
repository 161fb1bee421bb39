#include "RazeziRuzer/ASR/Parakeet/Unified/UnifiedModelSet.hpp"

#include "Platform/CoreML/MLDictionaryFeatureProvider.hpp"
#include "RazeziRuzer/ASR/Parakeet/ASRError.hpp"
#include "RazeziRuzer/ModelNames.hpp"

#include <algorithm>

namespace razeziruzer {

using platform::coreml::MLDictionaryFeatureProvider;
using platform::coreml::MLFeatureValue;
using platform::coreml::MLModel;
using platform::coreml::MLMultiArray;
using platform::coreml::MLMultiArrayDataType;
namespace names = ModelNames::ParakeetUnified;

UnifiedModelSet UnifiedModelSet::load(const std::filesystem::path& folder, UnifiedModelFiles::Mode mode,
                                      UnifiedEncoderPrecision precision,
                                      const platform::coreml::MLModelConfiguration& configuration,
                                      const UnifiedConfig& config) {
    const auto front = UnifiedModelFiles::frontConfiguration();
    auto preprocessor = MLModel::load(folder / names::preprocessorFile, front);
    auto encoder = MLModel::load(folder / UnifiedModelFiles::encoderFile(mode, precision),
                                 UnifiedModelFiles::encoderConfiguration(configuration, precision));
    auto decoder = MLModel::load(folder / names::decoderFile, front);
    auto joint = MLModel::load(folder / names::jointDecisionFile, front);
    auto tokenizer = std::make_shared<const Tokenizer>(folder / names::vocab);
    auto rnnt = std::make_unique<UnifiedRnntDecoder>(decoder, joint, config);
    return {std::move(preprocessor), std::move(encoder), std::move(decoder), std::move(joint), std::move(tokenizer),
            std::move(rnnt)};
}

std::filesystem::path UnifiedModelSet::ensureDownloaded(const std::optional<std::filesystem::path>& modelsRoot,
                                                        UnifiedModelFiles::Mode mode, UnifiedEncoderPrecision precision,
                                                        const DownloadUtils::ProgressHandler& progressHandler,
                                                        const AppLogger& logger, const std::string& kind) {
    const auto root = UnifiedModelFiles::modelsRoot(modelsRoot);
    const auto folder = UnifiedModelFiles::repositoryFolder(modelsRoot);
    if (UnifiedModelFiles::isCached(folder, mode, precision)) {
        logger.info("Using cached Parakeet Unified " + kind + "models at " + folder.string());
    } else {
        logger.info("Downloading Parakeet Unified " + kind + "models to " + root.string() + "...");
        DownloadUtils::downloadRepo(Repo::parakeetUnified, root, UnifiedModelFiles::downloadVariant(mode, precision), {},
                                    progressHandler);
    }
    return folder;
}

namespace {

MLMultiArray required(const MLDictionaryFeatureProvider& outputs, const char* name, const char* failure) {
    const auto value = outputs.featureValue(name);
    auto array = value ? value->multiArrayValue() : std::nullopt;
    if (!array) throw ASRError::processingFailed(failure);
    return *array;
}

} // namespace

UnifiedEncoderOutput runUnifiedFrontEnd(const MLModel& preprocessor, const MLModel& encoder,
                                        std::span<const float> samples, std::int64_t capacity) {
    MLMultiArray signal({1, capacity}, MLMultiArrayDataType::float32);
    std::copy(samples.begin(), samples.end(), signal.dataPointer<float>());
    MLMultiArray length({1}, MLMultiArrayDataType::int32);
    length[0] = static_cast<std::int32_t>(samples.size());
    const auto mel = preprocessor.prediction(
        MLDictionaryFeatureProvider({{"audio_signal", MLFeatureValue(signal)}, {"audio_length", MLFeatureValue(length)}}));
    constexpr auto melFailure = "Unified preprocessor failed to produce mel output";
    const auto features = required(mel, "mel", melFailure);
    const auto featureLength = required(mel, "mel_length", melFailure);
    const auto encoded = encoder.prediction(
        MLDictionaryFeatureProvider({{"mel", MLFeatureValue(features)}, {"mel_length", MLFeatureValue(featureLength)}}));
    constexpr auto encoderFailure = "Unified encoder failed to produce output";
    auto output = required(encoded, "encoder", encoderFailure);
    const auto encodedLength = required(encoded, "encoder_length", encoderFailure);
    if (output.shape().size() != 3) throw ASRError::processingFailed("Unified encoder output is not [1, H, T]");
    const auto frames = std::min<std::int64_t>(output.shape()[2], static_cast<std::int64_t>(encodedLength[0].doubleValue()));
    return {std::move(output), std::max<std::int64_t>(0, frames)};
}

} // namespace razeziruzer
