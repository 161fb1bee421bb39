#pragma once
// The three published chunk sizes of the English Nemotron streaming model,
// each a complete model set in a repository folder of its own.

#include "RazeziRuzer/Repo.hpp"

#include <array>
#include <optional>
#include <string>

namespace razeziruzer {

enum class NemotronChunkSize { ms2240 = 2240, ms1120 = 1120, ms560 = 560 };

inline constexpr std::array<NemotronChunkSize, 3> allNemotronChunkSizes{
    NemotronChunkSize::ms2240, NemotronChunkSize::ms1120, NemotronChunkSize::ms560};

int rawValue(NemotronChunkSize size);
std::optional<NemotronChunkSize> nemotronChunkSize(int rawValue);
Repo repo(NemotronChunkSize size);
// "nemotron_coreml_<ms>ms": the size's folder inside the shared hub repository.
std::string subdirectory(NemotronChunkSize size);

} // namespace razeziruzer
