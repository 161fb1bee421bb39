#pragma once
// One loaded multilingual Nemotron variant that several recognisers may
// install at once: the models of every decode arrangement present in the
// folder, its configuration and its tokenizer. Copies share the models.

#include "Platform/CoreML/MLModel.hpp"
#include "Platform/CoreML/MLModelConfiguration.hpp"
#include "RazeziRuzer/ASR/Parakeet/Streaming/Nemotron/NemotronMultilingualStreamingConfig.hpp"
#include "RazeziRuzer/ASR/Parakeet/Streaming/Nemotron/NemotronMultilingualTokenizer.hpp"
#include "RazeziRuzer/ASR/Parakeet/Streaming/Nemotron/NeuralEngineCheck.hpp"

#include <filesystem>
#include <memory>
#include <optional>

namespace razeziruzer {

inline constexpr const char* nemotronMultilingualUnsupportedMessage =
    "Nemotron multilingual int8 streaming models require Apple Silicon (ANE).";

struct SharedNemotronMultilingualModels {
    using MLModel = platform::coreml::MLModel;

    MLModel preprocessor;
    MLModel encoder;
    std::optional<MLModel> decoder;
    std::optional<MLModel> joint;
    std::optional<MLModel> decoderJoint;
    std::optional<MLModel> decoderJointArgmax;
    std::optional<MLModel> decoderJointNoEncProj;
    std::optional<MLModel> jointNoEncProjBatched;
    bool encoderIsStateful = false;
    NemotronMultilingualStreamingConfig config;
    std::shared_ptr<const NemotronMultilingualTokenizer> tokenizer;
    platform::coreml::MLModelConfiguration mlConfiguration;

    // Loads a variant folder: "metadata.json", "tokenizer.json", the
    // preprocessor and encoder (required) and every decode model present.
    // Without the neural engine it refuses at once, reading nothing. A set
    // with no usable decode arrangement is ASRError.processingFailed.
    static SharedNemotronMultilingualModels load(const std::filesystem::path& variantFolder,
                                                 const std::optional<platform::coreml::MLModelConfiguration>& configuration,
                                                 const NeuralEngineCheck& neuralEngineCheck = hasNeuralEngine);

    // True when a fused decoder, or both the decoder and the joint, are present.
    bool hasDecodePath() const;
};

// CPU and neural engine, low-precision GPU accumulation allowed.
platform::coreml::MLModelConfiguration defaultMultilingualConfiguration();

} // namespace razeziruzer
