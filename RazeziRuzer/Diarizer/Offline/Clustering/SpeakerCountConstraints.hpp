#pragma once
// The speaker count a caller asked for (exact, minimum, maximum), made
// consistent with the number of embeddings at hand.

#include <cstdint>
#include <optional>

namespace razeziruzer {

struct SpeakerCountConstraints {
    std::optional<std::int64_t> numSpeakers;  // set when min and max coincide
    std::int64_t minSpeakers = 1;
    std::int64_t maxSpeakers = 1;

    // An exact count overrides both bounds; every bound is kept within
    // [1, max(1, numEmbeddings)]; an inverted pair takes the maximum.
    static SpeakerCountConstraints resolve(std::int64_t numEmbeddings, std::optional<std::int64_t> numSpeakers,
                                           std::optional<std::int64_t> minSpeakers,
                                           std::optional<std::int64_t> maxSpeakers);

    bool operator==(const SpeakerCountConstraints&) const = default;
};

} // namespace razeziruzer
