#include "RazeziRuzer/Diarizer/Sortformer/SortformerConfig.hpp"
#include "RazeziRuzer/ModelNames.hpp"

#include <gtest/gtest.h>

#include <sstream>

namespace razeziruzer {
namespace {

namespace Sortformer = ModelNames::Sortformer;
namespace LSEEND = ModelNames::LSEEND;

TEST(SortformerNamesTests, FileNamesAndBundles) {
    for (const auto variant : allCases<Sortformer::Variant>()) {
        EXPECT_EQ(Sortformer::fileName(variant), std::string(Sortformer::name(variant)) + ".mlmodelc");
        EXPECT_EQ(Sortformer::defaultConfiguration(variant).modelVariant, variant);
        EXPECT_EQ(Sortformer::requiredModels().count(Sortformer::fileName(variant)), 1u);
    }
    EXPECT_EQ(Sortformer::fileName(Sortformer::Variant::balancedV2_1), "SortformerNvidiaLow_v2.1.mlmodelc");
    EXPECT_EQ(Sortformer::bundle(Sortformer::defaultVariant), Sortformer::defaultBundle);
    EXPECT_EQ(Sortformer::bundle(SortformerConfig::highContextV2()), "SortformerNvidiaHigh_v2.mlmodelc");

    auto unnamed = SortformerConfig::fastV2();
    unnamed.modelVariant.reset();
    EXPECT_EQ(Sortformer::bundle(unnamed), std::nullopt);
}

TEST(SortformerNamesTests, CompatibilityComparesChunkSpanFifoAndCache) {
    using Variant = Sortformer::Variant;
    auto sameSpan = SortformerConfig::fastV2();
    sameSpan.chunkLeftContext = 3;  // (6 + 3 + 5) * 8 == (6 + 1 + 7) * 8
    sameSpan.chunkRightContext = 5;
    sameSpan.modelVariant.reset();
    EXPECT_TRUE(Sortformer::isCompatible(Variant::fastV2, sameSpan));
    EXPECT_TRUE(Sortformer::isCompatible(Variant::fastV2_1, SortformerConfig::fastV2()));

    auto otherCache = SortformerConfig::fastV2();
    otherCache.spkcacheLen = 187;
    EXPECT_FALSE(Sortformer::isCompatible(Variant::fastV2, otherCache));
    EXPECT_FALSE(Sortformer::isCompatible(Variant::fastV2, SortformerConfig::balancedV2()));  // fifo differs
    EXPECT_FALSE(Sortformer::isCompatible(Variant::highContextV2, SortformerConfig::fastV2()));

    auto otherSubsampling = SortformerConfig::fastV2();
    otherSubsampling.subsamplingFactor = 4;
    EXPECT_FALSE(Sortformer::isCompatible(Variant::fastV2, otherSubsampling));
}

TEST(LseendNamesTests, NamesAreComputedFromVariantAndStep) {
    EXPECT_EQ(LSEEND::fileName(LSEEND::Variant::callhome, LSEEND::StepSize::step500ms),
              "500ms/ls_eend_ch_500ms.mlmodelc");
    EXPECT_EQ(LSEEND::name(LSEEND::Variant::dihard2, LSEEND::StepSize::step300ms), "ls_eend_dih2_300ms");
    EXPECT_EQ(LSEEND::defaultBundle(), std::vector<std::string>{"100ms/ls_eend_dih3_100ms.mlmodelc"});
    EXPECT_EQ(LSEEND::bundle(LSEEND::Variant::ami, LSEEND::StepSize::step200ms),
              std::vector<std::string>{"200ms/ls_eend_ami_200ms.mlmodelc"});
    EXPECT_EQ(LSEEND::repo(LSEEND::Variant::callhome), Repo::lseendCallHome);
    EXPECT_EQ(LSEEND::requiredModels().size(), 20u);
    EXPECT_EQ(LSEEND::requiredModels().count("400ms/ls_eend_dih3_400ms.mlmodelc"), 1u);

    std::ostringstream printed;
    printed << LSEEND::Variant::dihard3 << ' ' << LSEEND::StepSize::step400ms;
    EXPECT_EQ(printed.str(), "ls_eend_dih3 400ms");
}

TEST(LseendNamesTests, StepRawValuesCountHundredsOfMilliseconds) {
    EXPECT_EQ(fromRawValue<LSEEND::StepSize>(3), LSEEND::StepSize::step300ms);
    EXPECT_FALSE(fromRawValue<LSEEND::StepSize>(0));
    EXPECT_FALSE(fromRawValue<LSEEND::StepSize>(6));
    EXPECT_EQ(LSEEND::rawValue(LSEEND::StepSize::step500ms), 5);
}

} // namespace
} // namespace razeziruzer
