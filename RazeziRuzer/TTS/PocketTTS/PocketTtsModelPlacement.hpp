#pragma once
// Where the PocketTTS models run; decides which model bundles are needed.

#include <cstdint>

namespace razeziruzer {

enum class PocketTtsModelPlacement : std::uint8_t { gpu, ane, aneState };

} // namespace razeziruzer
