#include "RazeziRuzer/Diarizer/Sortformer/SortformerConfig.hpp"

namespace razeziruzer {

namespace {

using ModelNames::Sortformer::Variant;

SortformerConfig preset(Variant variant, int chunkLen, int chunkRightContext, int fifoLen) {
    SortformerConfig config;
    config.modelVariant = variant;
    config.subsamplingFactor = 8;
    config.chunkLen = chunkLen;
    config.chunkLeftContext = 1;
    config.chunkRightContext = chunkRightContext;
    config.fifoLen = fifoLen;
    config.spkcacheLen = 188;
    return config;
}

} // namespace

const SortformerConfig& SortformerConfig::fastV2() {
    static const auto config = preset(Variant::fastV2, 6, 7, 40);
    return config;
}

const SortformerConfig& SortformerConfig::fastV2_1() {
    static const auto config = preset(Variant::fastV2_1, 6, 7, 40);
    return config;
}

const SortformerConfig& SortformerConfig::balancedV2() {
    static const auto config = preset(Variant::balancedV2, 6, 7, 188);
    return config;
}

const SortformerConfig& SortformerConfig::balancedV2_1() {
    static const auto config = preset(Variant::balancedV2_1, 6, 7, 188);
    return config;
}

const SortformerConfig& SortformerConfig::highContextV2() {
    static const auto config = preset(Variant::highContextV2, 340, 40, 40);
    return config;
}

const SortformerConfig& SortformerConfig::highContextV2_1() {
    static const auto config = preset(Variant::highContextV2_1, 340, 40, 40);
    return config;
}

} // namespace razeziruzer
