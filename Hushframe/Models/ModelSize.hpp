#pragma once
// One size of a stage's loaded model, read from its description by feature
// name and dimension each time it is asked for.

#include "Hushframe/Core/Models/WhisperMLModel.hpp"

#include <cstddef>
#include <optional>
#include <string>

namespace hushframe {

// Absent without a model, for a feature that is missing, not a multi-array or
// without an array constraint, for a position outside its shape, and for a
// size that does not fit an int.
std::optional<int> modelInputSize(const WhisperMLModel& stage, const std::string& feature, std::size_t position);
std::optional<int> modelOutputSize(const WhisperMLModel& stage, const std::string& feature, std::size_t position);

} // namespace hushframe
