#pragma once
// Where a live audio stream comes from.

#include <string_view>

namespace razeziruzer {

enum class AudioSource { microphone, system };

// The case name.
std::string_view description(AudioSource source);

} // namespace razeziruzer
