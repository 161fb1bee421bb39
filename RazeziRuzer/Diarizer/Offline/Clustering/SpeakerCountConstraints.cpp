#include "RazeziRuzer/Diarizer/Offline/Clustering/SpeakerCountConstraints.hpp"

#include "RazeziRuzer/Shared/AppLogger.hpp"

#include <algorithm>
#include <string>

namespace razeziruzer {

SpeakerCountConstraints SpeakerCountConstraints::resolve(std::int64_t numEmbeddings,
                                                         std::optional<std::int64_t> numSpeakers,
                                                         std::optional<std::int64_t> minSpeakers,
                                                         std::optional<std::int64_t> maxSpeakers) {
    const AppLogger logger("SpeakerCountConstraints");
    std::int64_t min = minSpeakers.value_or(1);
    std::int64_t max = maxSpeakers.value_or(numEmbeddings);
    if (numSpeakers) min = max = *numSpeakers;
    const auto bounded = [&](std::int64_t value) {
        const auto limited = std::min(value, numEmbeddings);
        return limited < 2 ? std::int64_t{1} : limited;
    };
    min = bounded(min);
    max = bounded(max);
    if (min > max) {
        logger.warning("minSpeakers (" + std::to_string(min) + ") > maxSpeakers (" + std::to_string(max) +
                       "); clamping minSpeakers to " + std::to_string(max));
        min = max;
    }
    SpeakerCountConstraints constraints{min == max ? std::optional(min) : std::nullopt, min, max};
    logger.debug("Resolved constraints: numSpeakers=" +
                 (constraints.numSpeakers ? std::to_string(*constraints.numSpeakers) : std::string("nil")) +
                 ", min=" + std::to_string(min) + ", max=" + std::to_string(max));
    return constraints;
}

} // namespace razeziruzer
