#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/Decoder/TdtConfig.hpp"

namespace razeziruzer {

const TdtConfig& TdtConfig::default_() {
    static const TdtConfig shared{};
    return shared;
}

} // namespace razeziruzer
