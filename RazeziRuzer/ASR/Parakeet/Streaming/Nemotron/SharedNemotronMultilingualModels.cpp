#include "RazeziRuzer/ASR/Parakeet/Streaming/Nemotron/SharedNemotronMultilingualModels.hpp"

#include "RazeziRuzer/ASR/Parakeet/ASRError.hpp"
#include "RazeziRuzer/ModelNames.hpp"

namespace razeziruzer {
namespace {

namespace names = ModelNames::NemotronMultilingualStreaming;
using platform::coreml::MLModel;
using platform::coreml::MLModelConfiguration;

// The repository names no file for the arg-max model; this is where a folder keeps it.
constexpr const char* decoderJointArgmaxFile = "decoder_joint_argmax.mlmodelc";
constexpr const char* decoderJointNoEncProjFile = "decoder_joint_noencproj.mlmodelc";
constexpr const char* jointNoEncProjBatchedFile = "joint_noencproj_batched.mlmodelc";
constexpr const char* decoderJointFile = "decoder_joint.mlmodelc";

std::optional<MLModel> loadIfPresent(const std::filesystem::path& path, const MLModelConfiguration& configuration) {
    std::error_code ignored;
    if (!std::filesystem::exists(path, ignored)) return std::nullopt;
    return MLModel::load(path, configuration);
}

} // namespace

MLModelConfiguration defaultMultilingualConfiguration() {
    MLModelConfiguration configuration;
    configuration.computeUnits = platform::coreml::MLComputeUnits::cpuAndNeuralEngine;
    configuration.allowLowPrecisionAccumulationOnGPU = true;
    return configuration;
}

bool SharedNemotronMultilingualModels::hasDecodePath() const {
    return decoderJoint || decoderJointArgmax || decoderJointNoEncProj || (decoder && joint);
}

SharedNemotronMultilingualModels SharedNemotronMultilingualModels::load(
    const std::filesystem::path& folder, const std::optional<MLModelConfiguration>& configuration,
    const NeuralEngineCheck& neuralEngineCheck) {
    if (!neuralEngineCheck()) throw ASRError::unsupportedPlatform(nemotronMultilingualUnsupportedMessage);
    const auto settings = configuration.value_or(defaultMultilingualConfiguration());
    auto config = NemotronMultilingualStreamingConfig::from(folder / names::metadata);
    auto tokenizer = std::make_shared<const NemotronMultilingualTokenizer>(folder / names::tokenizer,
                                                                           config.langTagTokenIds);
    SharedNemotronMultilingualModels set{MLModel::load(folder / names::preprocessorFile, settings),
                                         MLModel::load(folder / names::encoderFile, settings),
                                         loadIfPresent(folder / names::decoderFile, settings),
                                         loadIfPresent(folder / names::jointFile, settings),
                                         loadIfPresent(folder / decoderJointFile, settings),
                                         loadIfPresent(folder / decoderJointArgmaxFile, settings),
                                         loadIfPresent(folder / decoderJointNoEncProjFile, settings),
                                         loadIfPresent(folder / jointNoEncProjBatchedFile, settings),
                                         false,
                                         std::move(config),
                                         std::move(tokenizer),
                                         settings};
    set.encoderIsStateful = !set.encoder.modelDescription().stateDescriptionsByName.empty();
    if (!set.hasDecodePath()) {
        throw ASRError::processingFailed("Multilingual model folder has no decoder_joint model and no decoder+joint pair");
    }
    return set;
}

} // namespace razeziruzer
