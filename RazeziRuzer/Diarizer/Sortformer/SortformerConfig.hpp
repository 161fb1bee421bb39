#pragma once
// Configuration of the Sortformer streaming diarizer: which model it runs and
// how its audio is cut into chunks, contexts and caches (counts of frames).

#include "RazeziRuzer/ModelNamesSortformer.hpp"

#include <optional>

namespace razeziruzer {

struct SortformerConfig {
    std::optional<ModelNames::Sortformer::Variant> modelVariant;
    int subsamplingFactor = 0;
    int chunkLen = 0;
    int chunkLeftContext = 0;
    int chunkRightContext = 0;
    int fifoLen = 0;
    int spkcacheLen = 0;

    bool operator==(const SortformerConfig&) const = default;

    static const SortformerConfig& fastV2();
    static const SortformerConfig& fastV2_1();
    static const SortformerConfig& balancedV2();
    static const SortformerConfig& balancedV2_1();
    static const SortformerConfig& highContextV2();
    static const SortformerConfig& highContextV2_1();
};

} // namespace razeziruzer
