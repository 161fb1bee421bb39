#pragma once
// The frame advance that a duration class of the joint network stands for.

#include <vector>

namespace razeziruzer::TdtDurationMapping {

// durationBins[index]; an index outside the bins throws ASRError.processingFailed.
int mapDurationBin(int index, const std::vector<int>& durationBins);

} // namespace razeziruzer::TdtDurationMapping
