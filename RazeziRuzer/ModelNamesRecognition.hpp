#pragma once
// File names and required sets of the recogniser model families.

#include "RazeziRuzer/ASR/Parakeet/Unified/UnifiedEncoderPrecision.hpp"
#include "RazeziRuzer/ModelNameSet.hpp"
#include "RazeziRuzer/ParakeetEncoderPrecision.hpp"
#include "RazeziRuzer/Repo.hpp"

#include <optional>
#include <string_view>

namespace razeziruzer::ModelNames {

// Parakeet TDT (parakeetV2, parakeetV3, parakeetTdtCtc110m).
namespace ASR {
inline constexpr std::string_view preprocessor = "Preprocessor";
inline constexpr std::string_view encoder = "Encoder";
inline constexpr std::string_view decoder = "Decoder";
inline constexpr std::string_view joint = "JointDecision";
inline constexpr std::string_view ctcHead = "CtcHead";
inline constexpr std::string_view preprocessorFile = "Preprocessor.mlmodelc";
inline constexpr std::string_view encoderFile = "Encoder.mlmodelc";
inline constexpr std::string_view encoderInt4File = "EncoderInt4.mlmodelc";
inline constexpr std::string_view decoderFile = "Decoder.mlmodelc";
inline constexpr std::string_view jointFile = "JointDecision.mlmodelc";
inline constexpr std::string_view jointV3File = "JointDecisionv3.mlmodelc";
inline constexpr std::string_view ctcHeadFile = "CtcHead.mlmodelc";
inline constexpr std::string_view vocabularyFile = "parakeet_vocab.json";

// The Parakeet vocabulary name, the same for every repository.
std::string_view vocabulary(Repo repo);
const ModelNameSet& requiredModels();
// Without an encoder bundle: the fused model carries the encoder itself.
const ModelNameSet& requiredModelsFused();
ModelNameSet requiredModelsV3(ParakeetEncoderPrecision precision);
} // namespace ASR

// Parakeet CTC (parakeetCtc110m, parakeetCtc06b).
namespace CTC {
inline constexpr std::string_view melSpectrogram = "MelSpectrogram";
inline constexpr std::string_view audioEncoder = "AudioEncoder";
inline constexpr std::string_view melSpectrogramPath = "MelSpectrogram.mlmodelc";
inline constexpr std::string_view audioEncoderPath = "AudioEncoder.mlmodelc";
inline constexpr std::string_view vocabularyPath = "vocab.json";
const ModelNameSet& requiredModels();
} // namespace CTC

// Japanese Parakeet TDT (parakeetJa).
namespace TDTJa {
inline constexpr std::string_view preprocessor = "Preprocessor";
inline constexpr std::string_view encoder = "Encoder";
inline constexpr std::string_view decoder = "Decoderv2";
inline constexpr std::string_view joint = "Jointerv2";
inline constexpr std::string_view preprocessorFile = "Preprocessor.mlmodelc";
inline constexpr std::string_view encoderFile = "Encoder.mlmodelc";
inline constexpr std::string_view decoderFile = "Decoderv2.mlmodelc";
inline constexpr std::string_view jointFile = "Jointerv2.mlmodelc";
inline constexpr std::string_view vocabularyFile = "vocab.json";
const ModelNameSet& requiredModels();
} // namespace TDTJa

// SenseVoice (senseVoiceSmall).
namespace SenseVoice {
inline constexpr std::string_view preprocessor = "SenseVoicePreprocessor";
inline constexpr std::string_view encoder = "SenseVoiceSmall";
inline constexpr std::string_view encoderInt8 = "SenseVoiceSmall_int8";
inline constexpr std::string_view encoderFp32 = "SenseVoiceSmall_fp32";
inline constexpr std::string_view preprocessorFile = "SenseVoicePreprocessor.mlmodelc";
inline constexpr std::string_view encoderFile = "SenseVoiceSmall.mlmodelc";
inline constexpr std::string_view encoderInt8File = "SenseVoiceSmall_int8.mlmodelc";
inline constexpr std::string_view encoderFp32File = "SenseVoiceSmall_fp32.mlmodelc";
inline constexpr std::string_view vocabularyFile = "vocab.json";
const ModelNameSet& requiredModels();
// "int8" and "fp32" pick their encoder; anything else the default one.
ModelNameSet requiredModels(std::optional<std::string_view> precision);
} // namespace SenseVoice

// Paraformer, Mandarin (paraformerLargeZh).
namespace ParaformerZh {
inline constexpr std::string_view preprocessor = "ParaformerPreprocessor";
inline constexpr std::string_view encoder = "ParaformerEncoder";
inline constexpr std::string_view encoderInt8 = "ParaformerEncoder_int8";
inline constexpr std::string_view cifAlphas = "ParaformerCifAlphas";
inline constexpr std::string_view decoder = "ParaformerDecoder";
inline constexpr std::string_view decoderInt8 = "ParaformerDecoder_int8";
inline constexpr std::string_view preprocessorFile = "ParaformerPreprocessor.mlmodelc";
inline constexpr std::string_view encoderFile = "ParaformerEncoder.mlmodelc";
inline constexpr std::string_view encoderInt8File = "ParaformerEncoder_int8.mlmodelc";
inline constexpr std::string_view cifAlphasFile = "ParaformerCifAlphas.mlmodelc";
inline constexpr std::string_view decoderFile = "ParaformerDecoder.mlmodelc";
inline constexpr std::string_view decoderInt8File = "ParaformerDecoder_int8.mlmodelc";
inline constexpr std::string_view vocabularyFile = "vocab.json";
const ModelNameSet& requiredModels();
} // namespace ParaformerZh

// End-of-utterance streaming Parakeet (parakeetEou160, 320, 1280).
namespace ParakeetEOU {
inline constexpr std::string_view encoder = "streaming_encoder";
inline constexpr std::string_view decoder = "decoder";
inline constexpr std::string_view joint = "joint_decision";
inline constexpr std::string_view vocab = "vocab.json";
inline constexpr std::string_view encoderFile = "streaming_encoder.mlmodelc";
inline constexpr std::string_view decoderFile = "decoder.mlmodelc";
inline constexpr std::string_view jointFile = "joint_decision.mlmodelc";
const ModelNameSet& requiredModels();
} // namespace ParakeetEOU

// English Nemotron streaming (nemotronStreaming2240, 1120, 560).
namespace NemotronStreaming {
inline constexpr std::string_view preprocessor = "preprocessor";
inline constexpr std::string_view encoder = "encoder";
inline constexpr std::string_view decoder = "decoder";
inline constexpr std::string_view joint = "joint";
inline constexpr std::string_view tokenizer = "tokenizer.json";
inline constexpr std::string_view metadata = "metadata.json";
inline constexpr std::string_view preprocessorFile = "preprocessor.mlmodelc";
inline constexpr std::string_view encoderFile = "encoder.mlmodelc";
inline constexpr std::string_view encoderInt8File = "encoder/encoder_int8.mlmodelc";
inline constexpr std::string_view decoderFile = "decoder.mlmodelc";
inline constexpr std::string_view jointFile = "joint.mlmodelc";
inline constexpr std::string_view decoderJointFile = "decoder_joint.mlmodelc";
const ModelNameSet& requiredModels();
} // namespace NemotronStreaming

// Multilingual Nemotron streaming (nemotronMultilingual).
namespace NemotronMultilingualStreaming {
inline constexpr std::string_view preprocessor = "preprocessor";
inline constexpr std::string_view encoder = "encoder";
inline constexpr std::string_view decoder = "decoder";
inline constexpr std::string_view joint = "joint";
inline constexpr std::string_view tokenizer = "tokenizer.json";
inline constexpr std::string_view metadata = "metadata.json";
inline constexpr std::string_view preprocessorFile = "preprocessor.mlmodelc";
inline constexpr std::string_view encoderFile = "encoder.mlmodelc";
inline constexpr std::string_view decoderFile = "decoder.mlmodelc";
inline constexpr std::string_view jointFile = "joint.mlmodelc";
inline constexpr std::string_view preprocessorPackage = "preprocessor.mlpackage";
inline constexpr std::string_view encoderPackage = "encoder.mlpackage";
inline constexpr std::string_view decoderPackage = "decoder.mlpackage";
inline constexpr std::string_view jointPackage = "joint.mlpackage";
} // namespace NemotronMultilingualStreaming

// Unified offline and streaming Parakeet (parakeetUnified).
namespace ParakeetUnified {
inline constexpr std::string_view preprocessorFile = "parakeet_unified_preprocessor.mlmodelc";
inline constexpr std::string_view streamingEncoderInt8File = "parakeet_unified_encoder_streaming_70_13_13_int8.mlmodelc";
inline constexpr std::string_view streamingEncoderFp16File = "parakeet_unified_encoder_streaming_70_13_13.mlmodelc";
inline constexpr std::string_view offlineEncoderInt8File = "parakeet_unified_encoder_int8.mlmodelc";
inline constexpr std::string_view offlineEncoderFp16File = "parakeet_unified_encoder.mlmodelc";
inline constexpr std::string_view decoderFile = "parakeet_unified_decoder.mlmodelc";
inline constexpr std::string_view jointDecisionFile = "parakeet_unified_joint_decision_single_step.mlmodelc";
inline constexpr std::string_view vocab = "vocab.json";
inline constexpr std::string_view metadata = "metadata.json";

std::string_view streamingEncoderFile(UnifiedEncoderPrecision precision);
std::string_view offlineEncoderFile(UnifiedEncoderPrecision precision);
// Offline when the variant starts with "offline", half precision when it
// ends with "fp16"; no variant means streaming int8.
ModelNameSet requiredModels(std::optional<std::string_view> variant);
} // namespace ParakeetUnified

// Cohere encoder-decoder (cohereTranscribeCoreml).
namespace CohereTranscribe {
inline constexpr std::string_view encoder = "cohere_encoder";
inline constexpr std::string_view decoderCacheExternal = "cohere_decoder_cache_external";
inline constexpr std::string_view decoderCacheExternalV2 = "cohere_decoder_cache_external_v2";
inline constexpr std::string_view vocab = "vocab.json";
inline constexpr std::string_view encoderCompiledFile = "cohere_encoder.mlmodelc";
inline constexpr std::string_view decoderCacheExternalCompiledFile = "cohere_decoder_cache_external.mlmodelc";
inline constexpr std::string_view decoderCacheExternalV2CompiledFile = "cohere_decoder_cache_external_v2.mlmodelc";
const ModelNameSet& requiredModels();
const ModelNameSet& requiredModelsLegacy();
} // namespace CohereTranscribe

} // namespace razeziruzer::ModelNames
