#include "RazeziRuzer/ModelNames.hpp"

#include <gtest/gtest.h>

namespace razeziruzer {
namespace {

using ModelNames::getRequiredModelNames;

ModelNameSet names(std::initializer_list<std::string_view> list) {
    return makeModelNameSet(list);
}

TEST(ModelNamesTests, EncoderPrecisionRawValuesAndFiles) {
    EXPECT_EQ(fromRawValue<ParakeetEncoderPrecision>("int4"), ParakeetEncoderPrecision::int4);
    EXPECT_FALSE(fromRawValue<ParakeetEncoderPrecision>("INT4"));
    EXPECT_EQ(encoderFileName(ParakeetEncoderPrecision::int8), "Encoder.mlmodelc");
    EXPECT_EQ(encoderFileName(ParakeetEncoderPrecision::int4), "EncoderInt4.mlmodelc");
    ASSERT_EQ(allCases<ParakeetEncoderPrecision>().size(), 2u);
    EXPECT_EQ(allCases<ParakeetEncoderPrecision>()[0], ParakeetEncoderPrecision::int8);
}

TEST(ModelNamesTests, ParakeetV3PicksTheEncoderByExactVariant) {
    const auto int8Set = names({"Preprocessor.mlmodelc", "Encoder.mlmodelc", "Decoder.mlmodelc", "JointDecisionv3.mlmodelc"});
    const auto int4Set =
        names({"Preprocessor.mlmodelc", "EncoderInt4.mlmodelc", "Decoder.mlmodelc", "JointDecisionv3.mlmodelc"});
    EXPECT_EQ(getRequiredModelNames(Repo::parakeetV3), int8Set);
    EXPECT_EQ(getRequiredModelNames(Repo::parakeetV3, "int8"), int8Set);
    EXPECT_EQ(getRequiredModelNames(Repo::parakeetV3, "INT4"), int8Set);
    EXPECT_EQ(getRequiredModelNames(Repo::parakeetV3, "int4"), int4Set);
}

TEST(ModelNamesTests, FixedRecogniserSets) {
    EXPECT_EQ(getRequiredModelNames(Repo::parakeetV2),
              names({"Preprocessor.mlmodelc", "Encoder.mlmodelc", "Decoder.mlmodelc", "JointDecision.mlmodelc"}));
    EXPECT_EQ(getRequiredModelNames(Repo::parakeetTdtCtc110m),
              names({"Preprocessor.mlmodelc", "Decoder.mlmodelc", "JointDecision.mlmodelc"}));
    EXPECT_EQ(getRequiredModelNames(Repo::parakeetCtc06b), names({"MelSpectrogram.mlmodelc", "AudioEncoder.mlmodelc"}));
    EXPECT_EQ(getRequiredModelNames(Repo::parakeetJa),
              names({"Preprocessor.mlmodelc", "Encoder.mlmodelc", "Decoderv2.mlmodelc", "Jointerv2.mlmodelc"}));
    EXPECT_EQ(getRequiredModelNames(Repo::paraformerLargeZh).size(), 6u);
    EXPECT_EQ(getRequiredModelNames(Repo::parakeetEou320),
              names({"streaming_encoder.mlmodelc", "decoder.mlmodelc", "joint_decision.mlmodelc", "vocab.json"}));
    EXPECT_EQ(getRequiredModelNames(Repo::nemotronStreaming560),
              names({"preprocessor.mlmodelc", "encoder/encoder_int8.mlmodelc", "decoder.mlmodelc", "joint.mlmodelc",
                     "decoder_joint.mlmodelc", "tokenizer.json", "metadata.json"}));
    EXPECT_EQ(getRequiredModelNames(Repo::nemotronMultilingual),
              names({"preprocessor.mlmodelc", "encoder.mlmodelc", "decoder.mlmodelc", "joint.mlmodelc",
                     "decoder_joint.mlmodelc", "decoder_joint_noencproj.mlmodelc", "joint_noencproj_batched.mlmodelc"}));
    EXPECT_EQ(getRequiredModelNames(Repo::cohereTranscribeCoreml, "legacy"),
              names({"cohere_encoder.mlmodelc", "cohere_decoder_cache_external_v2.mlmodelc", "vocab.json"}));
}

TEST(ModelNamesTests, VocabularyIsParakeetsForEveryRepository) {
    EXPECT_EQ(ModelNames::ASR::vocabulary(Repo::parakeetJa), "parakeet_vocab.json");
    EXPECT_EQ(ModelNames::TDTJa::vocabularyFile, "vocab.json");
}

TEST(ModelNamesTests, SenseVoicePrecisionPicksTheEncoder) {
    const std::pair<std::optional<std::string_view>, std::string_view> cases[] = {
        {"int8", "SenseVoiceSmall_int8.mlmodelc"},
        {"fp32", "SenseVoiceSmall_fp32.mlmodelc"},
        {"fp16", "SenseVoiceSmall.mlmodelc"},
        {std::nullopt, "SenseVoiceSmall.mlmodelc"},
    };
    for (const auto& [precision, encoder] : cases) {
        EXPECT_EQ(getRequiredModelNames(Repo::senseVoiceSmall, precision),
                  names({"SenseVoicePreprocessor.mlmodelc", encoder}));
    }
}

TEST(ModelNamesTests, UnifiedEncoderFollowsPrefixAndSuffixOnly) {
    const std::pair<std::optional<std::string_view>, std::string_view> cases[] = {
        {std::nullopt, "parakeet_unified_encoder_streaming_70_13_13_int8.mlmodelc"},
        {"offline", "parakeet_unified_encoder_int8.mlmodelc"},
        {"offline-fp16", "parakeet_unified_encoder.mlmodelc"},
        {"offline anything fp16", "parakeet_unified_encoder.mlmodelc"},
        {"streaming-fp16", "parakeet_unified_encoder_streaming_70_13_13.mlmodelc"},
        {"Offline-fp16", "parakeet_unified_encoder_streaming_70_13_13.mlmodelc"},
        {"streaming", "parakeet_unified_encoder_streaming_70_13_13_int8.mlmodelc"},
    };
    for (const auto& [variant, encoder] : cases) {
        const auto set = getRequiredModelNames(Repo::parakeetUnified, variant);
        EXPECT_EQ(set, names({"parakeet_unified_preprocessor.mlmodelc", encoder, "parakeet_unified_decoder.mlmodelc",
                              "parakeet_unified_joint_decision_single_step.mlmodelc", "vocab.json", "metadata.json"}))
            << variant.value_or("(none)");
    }
}

TEST(ModelNamesTests, DiarizerVariantIsCaseSensitive) {
    EXPECT_EQ(getRequiredModelNames(Repo::diarizer, "offline"),
              names({"Segmentation.mlmodelc", "FBank.mlmodelc", "Embedding.mlmodelc", "PldaRho.mlmodelc",
                     "plda-parameters.json"}));
    const auto online = names({"pyannote_segmentation.mlmodelc", "wespeaker_v2.mlmodelc"});
    EXPECT_EQ(getRequiredModelNames(Repo::diarizer, "Offline"), online);
    EXPECT_EQ(getRequiredModelNames(Repo::diarizer), online);
    EXPECT_EQ(getRequiredModelNames(Repo::vad), names({"silero-vad-unified-256ms-v6.0.0.mlmodelc"}));
}

TEST(ModelNamesTests, StreamingDiarizersTakeTheVariantAsTheName) {
    EXPECT_EQ(getRequiredModelNames(Repo::sortformer, "Sortformer_v2.1.mlmodelc"), names({"Sortformer_v2.1.mlmodelc"}));
    EXPECT_EQ(getRequiredModelNames(Repo::sortformer).size(), 6u);
    EXPECT_EQ(getRequiredModelNames(Repo::lseendAmi, "100ms/ls_eend_ami_100ms"),
              names({"100ms/ls_eend_ami_100ms.mlmodelc"}));
    EXPECT_EQ(getRequiredModelNames(Repo::lseendCallHome), ModelNames::LSEEND::requiredModels());
    EXPECT_EQ(getRequiredModelNames(Repo::lseendDihard3).size(), 20u);
}

TEST(ModelNamesTests, SynthesisRepositories) {
    EXPECT_EQ(getRequiredModelNames(Repo::kokoro),
              names({"G2PEncoder.mlmodelc", "G2PDecoder.mlmodelc", "g2p_vocab.json"}));
    EXPECT_EQ(getRequiredModelNames(Repo::kokoroAneJa).count("voices/jf_alpha.bin"), 1u);
    EXPECT_EQ(getRequiredModelNames(Repo::pocketTts).count("flowlm_step.mlmodelc"), 1u);
    EXPECT_EQ(getRequiredModelNames(Repo::multilingualG2p).size(), 2u);
    EXPECT_EQ(getRequiredModelNames(Repo::styletts2, "all").size(), 14u);
    EXPECT_EQ(getRequiredModelNames(Repo::styletts2, "t128"),
              names({"bert_fp16_t128.mlmodelc", "fused_diffusion_sampler_fp16_t128.mlmodelc"}));
    EXPECT_EQ(getRequiredModelNames(Repo::styletts2, "t100"), ModelNames::StyleTTS2::requiredModels());
    EXPECT_EQ(getRequiredModelNames(Repo::styletts2).size(), 8u);
    EXPECT_EQ(getRequiredModelNames(Repo::supertonic3), ModelNames::Supertonic3::requiredFiles());
}

TEST(ModelNamesTests, EveryRepositoryHasANonEmptyRequiredSet) {
    for (const auto repo : allCases<Repo>()) EXPECT_FALSE(getRequiredModelNames(repo).empty()) << rawValue(repo);
}

} // namespace
} // namespace razeziruzer
