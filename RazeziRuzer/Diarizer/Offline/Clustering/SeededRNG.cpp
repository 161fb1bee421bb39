#include "RazeziRuzer/Diarizer/Offline/Clustering/SeededRNG.hpp"

namespace razeziruzer {

std::uint64_t SeededRNG::uniform(std::uint64_t bound) {
    auto product = static_cast<unsigned __int128>(next()) * bound;
    auto low = static_cast<std::uint64_t>(product);
    if (low < bound) {
        const std::uint64_t threshold = (0 - bound) % bound;
        while (low < threshold) {
            product = static_cast<unsigned __int128>(next()) * bound;
            low = static_cast<std::uint64_t>(product);
        }
    }
    return static_cast<std::uint64_t>(product >> 64);
}

} // namespace razeziruzer
