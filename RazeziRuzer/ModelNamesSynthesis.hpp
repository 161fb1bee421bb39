#pragma once
// File names and required sets of the speech-synthesis model families and of
// the grapheme-to-phoneme models they use.

#include "RazeziRuzer/ModelNameSet.hpp"
#include "RazeziRuzer/TTS/PocketTTS/PocketTtsModelPlacement.hpp"
#include "RazeziRuzer/TTS/PocketTTS/PocketTtsPrecision.hpp"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace razeziruzer::ModelNames {

namespace PocketTTS {
inline constexpr std::string_view condStep = "cond_step";
inline constexpr std::string_view condPrefill = "cond_prefill";
inline constexpr std::string_view flowlmStep = "flowlm_step";
inline constexpr std::string_view flowlmStepV2 = "flowlm_stepv2";
inline constexpr std::string_view flowDecoder = "flow_decoder";
inline constexpr std::string_view flowDecoderFused = "flow_decoder_fused";
inline constexpr std::string_view flowlmStepAne = "flowlm_step_ane";
inline constexpr std::string_view condPrefillAne = "cond_prefill_ane";
inline constexpr std::string_view pocketState = "pocket_state";
inline constexpr std::string_view mimiDecoder = "mimi_decoder";
inline constexpr std::string_view mimiEncoder = "mimi_encoderv2";
inline constexpr std::string_view condStepFile = "cond_step.mlmodelc";
inline constexpr std::string_view condPrefillFile = "cond_prefill.mlmodelc";
inline constexpr std::string_view flowlmStepV2File = "flowlm_stepv2.mlmodelc";
inline constexpr std::string_view flowDecoderFile = "flow_decoder.mlmodelc";
inline constexpr std::string_view flowDecoderFusedFile = "flow_decoder_fused.mlmodelc";
inline constexpr std::string_view flowlmStepAneFile = "flowlm_step_ane.mlmodelc";
inline constexpr std::string_view condPrefillAneFile = "cond_prefill_ane.mlmodelc";
inline constexpr std::string_view pocketStateFile = "pocket_state.mlmodelc";
inline constexpr std::string_view mimiDecoderFile = "mimi_decoder.mlmodelc";
inline constexpr std::string_view mimiEncoderFile = "mimi_encoderv2.mlmodelc";
// A folder of raw constant files.
inline constexpr std::string_view constantsBinDir = "constants_bin";

// Functions inside the multi-function state model "pocket_state".
namespace StateFunction {
inline constexpr std::string_view writeState = "write_state";
inline constexpr std::string_view prefill = "prefill";
inline constexpr std::string_view generate = "generate";
} // namespace StateFunction

// "flowlm_step.mlmodelc"; with a precision, the step bundle of that precision.
std::string_view flowlmStepFile();
std::string_view flowlmStepFile(PocketTtsPrecision precision);
const ModelNameSet& requiredModels();
ModelNameSet requiredModels(PocketTtsPrecision precision);
ModelNameSet requiredModels(PocketTtsPrecision precision, PocketTtsModelPlacement placement);
} // namespace PocketTTS

namespace StyleTTS2 {
inline constexpr std::string_view textEncoder = "text_encoder_fp16";
inline constexpr std::string_view textEncoderFile = "text_encoder_fp16.mlmodelc";
inline constexpr std::string_view bert = "bert_fp16";
inline constexpr std::string_view bertFile = "bert_fp16.mlmodelc";
inline constexpr std::string_view bertT64File = "bert_fp16_t64.mlmodelc";
inline constexpr std::string_view bertT128File = "bert_fp16_t128.mlmodelc";
inline constexpr std::string_view bertT256File = "bert_fp16_t256.mlmodelc";
inline constexpr std::string_view refEncoder = "ref_encoder_fp16";
inline constexpr std::string_view refEncoderFile = "ref_encoder_fp16.mlmodelc";
inline constexpr std::string_view fusedDiffusionSampler = "fused_diffusion_sampler_fp16";
inline constexpr std::string_view fusedDiffusionSamplerFile = "fused_diffusion_sampler_fp16.mlmodelc";
inline constexpr std::string_view fusedDiffusionSamplerT64File = "fused_diffusion_sampler_fp16_t64.mlmodelc";
inline constexpr std::string_view fusedDiffusionSamplerT128File = "fused_diffusion_sampler_fp16_t128.mlmodelc";
inline constexpr std::string_view fusedDiffusionSamplerT256File = "fused_diffusion_sampler_fp16_t256.mlmodelc";
inline constexpr std::string_view durationPredictor = "duration_predictor_fp16";
inline constexpr std::string_view durationPredictorFile = "duration_predictor_fp16.mlmodelc";
inline constexpr std::string_view fusedF0nHarSource = "fused_f0n_har_source";
inline constexpr std::string_view fusedF0nHarSourceFile = "fused_f0n_har_source.mlmodelc";
inline constexpr std::string_view decoderPre = "decoder_pre_fp16";
inline constexpr std::string_view decoderPreFile = "decoder_pre_fp16.mlmodelc";
inline constexpr std::string_view decoderUpsample = "decoder_upsample_fp16";
inline constexpr std::string_view decoderUpsampleFile = "decoder_upsample_fp16.mlmodelc";

// The eight base bundles.
const ModelNameSet& requiredModels();
// The base bundles and the six fixed-length bundles.
const ModelNameSet& allModels();
// The bert and diffusion-sampler bundles for a token length of 64, 128 or
// 256; empty for any other length.
ModelNameSet bucketModels(int forT);
} // namespace StyleTTS2

namespace Supertonic3 {
inline constexpr std::string_view textEncoder = "TextEncoder";
inline constexpr std::string_view durationPredictor = "DurationPredictor";
inline constexpr std::string_view vectorEstimator = "VectorEstimator";
inline constexpr std::string_view vocoder = "Vocoder";
inline constexpr std::string_view textEncoderFile = "TextEncoder.mlmodelc";
inline constexpr std::string_view durationPredictorFile = "DurationPredictor.mlmodelc";
inline constexpr std::string_view vocoderFile = "Vocoder.mlmodelc";
inline constexpr std::string_view configFile = "tts.json";
inline constexpr std::string_view unicodeIndexerFile = "unicode_indexer.json";
inline constexpr std::string_view variantsSubdir = "VectorEstimatorVariants";
inline constexpr std::array<int, 3> aneBuckets{128, 256, 512};

const ModelNameSet& requiredModels();
const ModelNameSet& requiredFiles();
const ModelNameSet& sharedModelFiles();
const ModelNameSet& companionFiles();
// "VectorEstimator", then "_L" and the bucket, then "_" and the suffix.
std::string vectorEstimatorName(std::optional<std::string_view> precisionSuffix, std::optional<int> bucket);
// "VectorEstimator.mlmodelc" without either argument, else a bundle in the
// variants folder.
std::string vectorEstimatorFile(std::optional<std::string_view> precisionSuffix = std::nullopt,
                                std::optional<int> bucket = std::nullopt);
// "dyn-<suffix>": one estimator of free length; "ane-<suffix>": one per ANE
// bucket; anything else: the default estimator.
ModelNameSet requiredFiles(std::optional<std::string_view> veVariant);
} // namespace Supertonic3

// English grapheme-to-phoneme (required by repository kokoro).
namespace G2P {
inline constexpr std::string_view encoder = "G2PEncoder";
inline constexpr std::string_view decoder = "G2PDecoder";
inline constexpr std::string_view vocabulary = "g2p_vocab";
inline constexpr std::string_view encoderFile = "G2PEncoder.mlmodelc";
inline constexpr std::string_view decoderFile = "G2PDecoder.mlmodelc";
inline constexpr std::string_view vocabularyFile = "g2p_vocab.json";
const ModelNameSet& requiredModels();
} // namespace G2P

namespace MultilingualG2P {
inline constexpr std::string_view encoder = "MultilingualG2PEncoder";
inline constexpr std::string_view decoder = "MultilingualG2PDecoder";
inline constexpr std::string_view encoderFile = "MultilingualG2PEncoder.mlmodelc";
inline constexpr std::string_view decoderFile = "MultilingualG2PDecoder.mlmodelc";
const ModelNameSet& requiredModels();
} // namespace MultilingualG2P

// Kokoro split into neural-engine stages; every member is a file name.
namespace KokoroAne {
inline constexpr std::string_view albert = "KokoroAlbert.mlmodelc";
inline constexpr std::string_view postAlbert = "KokoroPostAlbert.mlmodelc";
inline constexpr std::string_view alignment = "KokoroAlignment.mlmodelc";
inline constexpr std::string_view prosody = "KokoroProsody.mlmodelc";
inline constexpr std::string_view noise = "KokoroNoise_v2.mlmodelc";
inline constexpr std::string_view vocoder = "KokoroVocoder.mlmodelc";
inline constexpr std::string_view tail = "KokoroTail.mlmodelc";
inline constexpr std::string_view vocab = "vocab.json";
inline constexpr std::string_view defaultVoiceFile = "af_heart.bin";
inline constexpr std::string_view defaultVoiceFileZh = "voices/zf_001.bin";
inline constexpr std::string_view defaultVoiceFileJa = "voices/jf_alpha.bin";
inline constexpr std::string_view g2pwModelZh = "g2pw/g2pw.mlmodelc";
const ModelNameSet& requiredCoreMLModels();
const ModelNameSet& requiredModels();
const ModelNameSet& requiredModelsZh();
const ModelNameSet& requiredModelsJa();
} // namespace KokoroAne

} // namespace razeziruzer::ModelNames
