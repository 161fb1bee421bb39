#include "Platform/CoreML/MLArrayBatchProvider.hpp"
#include "Platform/CoreML/MLDictionaryFeatureProvider.hpp"
#include "Platform/CoreML/MLModelError.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

namespace {

using namespace platform::coreml;

TEST(MLFeatureValue, KindsAndAccessors) {
    const MLMultiArray array({2}, MLMultiArrayDataType::int32);
    const MLFeatureValue values[] = {MLFeatureValue(std::int64_t{42}), MLFeatureValue(2.5),
                                     MLFeatureValue(std::string("fr")), MLFeatureValue(array), MLFeatureValue()};
    EXPECT_EQ(values[0].type(), MLFeatureType::int64);
    EXPECT_EQ(values[0].int64Value(), 42);
    EXPECT_EQ(values[1].type(), MLFeatureType::double_);
    EXPECT_EQ(values[1].doubleValue(), 2.5);
    EXPECT_EQ(values[2].type(), MLFeatureType::string);
    EXPECT_EQ(values[2].stringValue(), "fr");
    EXPECT_EQ(values[3].type(), MLFeatureType::multiArray);
    EXPECT_TRUE(values[3].multiArrayValue()->isIdentical(array));
    EXPECT_TRUE(values[4].isUndefined());
    for (const auto& value : {values[0], values[1], values[2], values[4]}) {
        EXPECT_FALSE(value.multiArrayValue().has_value());
    }
}

TEST(MLDictionaryFeatureProvider, PresentsItsEntriesWithoutCopyingArrays) {
    const MLMultiArray audio({1, 4}, MLMultiArrayDataType::float32);
    const MLDictionaryFeatureProvider provider({{"audio_signal", audio}, {"audio_length", MLFeatureValue(std::int64_t{4})}});
    EXPECT_EQ(provider.featureNames(), (std::set<std::string>{"audio_length", "audio_signal"}));
    EXPECT_FALSE(provider.featureValue("mel").has_value());
    provider.featureValue("audio_signal")->multiArrayValue()->operator[](3) = 1.5;
    EXPECT_EQ(audio[3], 1.5);
}

TEST(MLDictionaryFeatureProvider, RejectsUndefinedValuesAndEmptyNames) {
    const MLMultiArray array({1}, MLMultiArrayDataType::float32);
    try {
        MLDictionaryFeatureProvider({{"targets", array}, {"h_in", MLFeatureValue()}});
        FAIL() << "accepted an undefined value";
    } catch (const MLModelError& error) {
        EXPECT_EQ(error.kind(), MLModelErrorKind::featureType);
        EXPECT_NE(error.description().find("h_in"), std::string::npos) << error.description();
    }
    EXPECT_THROW(MLDictionaryFeatureProvider({{"", array}}), MLModelError);
}

TEST(MLArrayBatchProvider, RejectsMissingEntries) {
    auto provider = std::make_shared<MLDictionaryFeatureProvider>(std::map<std::string, MLFeatureValue>{});
    EXPECT_EQ(MLArrayBatchProvider({provider, provider}).count(), 2u);
    EXPECT_THROW(MLArrayBatchProvider({provider, nullptr}), MLModelError);
}

} // namespace
