#include "RazeziRuzer/ModelNamesSortformer.hpp"

#include "RazeziRuzer/Diarizer/Sortformer/SortformerConfig.hpp"

#include <array>

namespace razeziruzer {

namespace ModelNames::Sortformer {

namespace {

constexpr std::array<Variant, 6> cases{Variant::fastV2,       Variant::fastV2_1,      Variant::balancedV2,
                                       Variant::balancedV2_1, Variant::highContextV2, Variant::highContextV2_1};

int featureFramesPerChunk(const SortformerConfig& config) {
    return (config.chunkLen + config.chunkLeftContext + config.chunkRightContext) * config.subsamplingFactor;
}

} // namespace

std::string_view name(Variant variant) {
    switch (variant) {
    case Variant::fastV2: return "Sortformer_v2";
    case Variant::fastV2_1: return "Sortformer_v2.1";
    case Variant::balancedV2: return "SortformerNvidiaLow_v2";
    case Variant::balancedV2_1: return "SortformerNvidiaLow_v2.1";
    case Variant::highContextV2: return "SortformerNvidiaHigh_v2";
    case Variant::highContextV2_1: return "SortformerNvidiaHigh_v2.1";
    }
    return "";
}

std::string fileName(Variant variant) {
    return std::string(name(variant)) + ".mlmodelc";
}

SortformerConfig defaultConfiguration(Variant variant) {
    switch (variant) {
    case Variant::fastV2: return SortformerConfig::fastV2();
    case Variant::fastV2_1: return SortformerConfig::fastV2_1();
    case Variant::balancedV2: return SortformerConfig::balancedV2();
    case Variant::balancedV2_1: return SortformerConfig::balancedV2_1();
    case Variant::highContextV2: return SortformerConfig::highContextV2();
    case Variant::highContextV2_1: return SortformerConfig::highContextV2_1();
    }
    return SortformerConfig::fastV2_1();
}

bool isCompatible(Variant variant, const SortformerConfig& config) {
    const auto preset = defaultConfiguration(variant);
    return featureFramesPerChunk(preset) == featureFramesPerChunk(config) && preset.fifoLen == config.fifoLen &&
           preset.spkcacheLen == config.spkcacheLen;
}

std::string bundle(Variant variant) {
    return fileName(variant);
}

std::optional<std::string> bundle(const SortformerConfig& config) {
    if (!config.modelVariant) return std::nullopt;
    return fileName(*config.modelVariant);
}

const ModelNameSet& requiredModels() {
    static const auto names = [] {
        ModelNameSet result;
        for (const auto variant : cases) result.insert(fileName(variant));
        return result;
    }();
    return names;
}

} // namespace ModelNames::Sortformer

template <>
std::span<const ModelNames::Sortformer::Variant> allCases<ModelNames::Sortformer::Variant>() {
    return ModelNames::Sortformer::cases;
}

} // namespace razeziruzer
