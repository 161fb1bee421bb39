#pragma once
// The Parakeet TDT model versions and their per-version constants.

#include "RazeziRuzer/Repo.hpp"

#include <string_view>

namespace razeziruzer {

enum class AsrModelVersion { v2, v3, tdtCtc110m, tdtJa };

int blankId(AsrModelVersion version);
int decoderLayers(AsrModelVersion version);
int encoderHiddenSize(AsrModelVersion version);
// True when the preprocessor already contains the encoder.
bool hasFusedEncoder(AsrModelVersion version);
Repo repository(AsrModelVersion version);
// The case name, e.g. "v2", for messages.
std::string_view caseName(AsrModelVersion version);

} // namespace razeziruzer
