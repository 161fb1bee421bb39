#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/Decoder/TdtDurationMapping.hpp"

#include "RazeziRuzer/ASR/Parakeet/ASRError.hpp"

#include <string>

namespace razeziruzer::TdtDurationMapping {

int mapDurationBin(int index, const std::vector<int>& durationBins) {
    if (index < 0 || static_cast<std::size_t>(index) >= durationBins.size()) {
        throw ASRError::processingFailed("Duration bin index out of range: " + std::to_string(index));
    }
    return durationBins[static_cast<std::size_t>(index)];
}

} // namespace razeziruzer::TdtDurationMapping
