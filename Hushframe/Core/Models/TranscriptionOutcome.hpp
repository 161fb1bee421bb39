#pragma once
// The outcome of one input of a batched transcription: its results, or the
// error that stopped it.

#include "Hushframe/Core/Models/TranscriptionResult.hpp"

#include <exception>
#include <memory>
#include <optional>
#include <variant>
#include <vector>

namespace hushframe {

using TranscriptionResults = std::vector<std::shared_ptr<TranscriptionResult>>;
using TranscriptionOutcome = std::variant<TranscriptionResults, std::exception_ptr>;

// Same length and order; a failure becomes an absent list and its error is dropped.
std::vector<std::optional<TranscriptionResults>> toOptionalArrays(const std::vector<TranscriptionOutcome>& outcomes);

} // namespace hushframe
