#include "RazeziRuzer/ModelNamesSynthesis.hpp"

#include <gtest/gtest.h>

namespace razeziruzer {
namespace {

namespace PocketTTS = ModelNames::PocketTTS;
namespace StyleTTS2 = ModelNames::StyleTTS2;
namespace Supertonic3 = ModelNames::Supertonic3;

TEST(SynthesisNamesTests, PocketTtsSetsFollowPrecisionAndPlacement) {
    EXPECT_EQ(PocketTTS::requiredModels(PocketTtsPrecision::int8),
              makeModelNameSet({"cond_prefill.mlmodelc", "flowlm_stepv2.mlmodelc", "flow_decoder_fused.mlmodelc",
                                "mimi_decoder.mlmodelc", "constants_bin"}));
    EXPECT_EQ(PocketTTS::requiredModels(PocketTtsPrecision::fp16), PocketTTS::requiredModels());
    for (const auto precision : {PocketTtsPrecision::fp16, PocketTtsPrecision::int8}) {
        const auto ane = PocketTTS::requiredModels(precision, PocketTtsModelPlacement::ane);
        EXPECT_EQ(ane.count("flowlm_step_ane.mlmodelc"), 1u);
        EXPECT_EQ(ane.count("cond_prefill_ane.mlmodelc"), 1u);
        EXPECT_EQ(PocketTTS::requiredModels(precision, PocketTtsModelPlacement::aneState),
                  makeModelNameSet({"pocket_state.mlmodelc", "mimi_decoder.mlmodelc", "constants_bin"}));
    }
}

TEST(SynthesisNamesTests, StyleTtsBuckets) {
    EXPECT_TRUE(StyleTTS2::bucketModels(100).empty());
    EXPECT_EQ(StyleTTS2::bucketModels(128),
              makeModelNameSet({"bert_fp16_t128.mlmodelc", "fused_diffusion_sampler_fp16_t128.mlmodelc"}));
    EXPECT_EQ(StyleTTS2::requiredModels().size(), 8u);
    EXPECT_EQ(StyleTTS2::allModels().size(), 14u);
}

TEST(SynthesisNamesTests, VectorEstimatorNames) {
    EXPECT_EQ(Supertonic3::vectorEstimatorName("int8", 256), "VectorEstimator_L256_int8");
    EXPECT_EQ(Supertonic3::vectorEstimatorName(std::nullopt, 256), "VectorEstimator_L256");
    EXPECT_EQ(Supertonic3::vectorEstimatorName("int8", std::nullopt), "VectorEstimator_int8");
    EXPECT_EQ(Supertonic3::vectorEstimatorFile(), "VectorEstimator.mlmodelc");
    EXPECT_EQ(Supertonic3::vectorEstimatorFile(std::nullopt, 512), "VectorEstimatorVariants/VectorEstimator_L512.mlmodelc");
}

TEST(SynthesisNamesTests, SupertonicVariantsChooseTheEstimators) {
    EXPECT_EQ(Supertonic3::requiredFiles(std::nullopt), Supertonic3::requiredFiles());
    EXPECT_EQ(Supertonic3::requiredFiles("other"), Supertonic3::requiredFiles());
    EXPECT_EQ(Supertonic3::requiredFiles().size(), 6u);

    const auto dynamic = Supertonic3::requiredFiles("dyn-fp16");
    EXPECT_EQ(dynamic.size(), 6u);
    EXPECT_EQ(dynamic.count("VectorEstimatorVariants/VectorEstimator_fp16.mlmodelc"), 1u);
    EXPECT_EQ(dynamic.count("VectorEstimator.mlmodelc"), 0u);

    const auto ane = Supertonic3::requiredFiles("ane-int8");
    EXPECT_EQ(ane.size(), 8u);
    for (const auto* bucket : {"128", "256", "512"}) {
        EXPECT_EQ(ane.count(std::string("VectorEstimatorVariants/VectorEstimator_L") + bucket + "_int8.mlmodelc"), 1u);
    }
    // An empty suffix is still a suffix.
    EXPECT_EQ(Supertonic3::requiredFiles("ane-").count("VectorEstimatorVariants/VectorEstimator_L128_.mlmodelc"), 1u);
}

TEST(SynthesisNamesTests, KokoroSetsAddTheirVoicesToTheStages) {
    EXPECT_EQ(ModelNames::KokoroAne::requiredCoreMLModels().size(), 7u);
    EXPECT_EQ(ModelNames::KokoroAne::requiredModels().size(), 9u);
    const auto zh = ModelNames::KokoroAne::requiredModelsZh();
    EXPECT_EQ(zh.size(), 10u);
    EXPECT_EQ(zh.count("voices/zf_001.bin"), 1u);
    EXPECT_EQ(zh.count("g2pw/g2pw.mlmodelc"), 1u);
}

} // namespace
} // namespace razeziruzer
