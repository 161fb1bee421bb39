#pragma once
// What a loaded bundle declares about itself: inputs, outputs and states from
// the function's own signature (authoritative for element type and rank),
// with default and flexible shapes and the author's metadata from
// "metadata.json" where the bundle has it.

#include "Platform/CoreML/MIL/PreparedFunction.hpp"
#include "Platform/CoreML/MLModelDescription.hpp"

#include <nlohmann/json.hpp>

namespace platform::coreml::mil {

// `metadata` is the parsed "metadata.json" (an array holding one object, or
// that object), or null. Throws ProgramPreparationError (unsupported) for a
// state whose shape is not fixed.
MLModelDescription describeBundle(const PreparedFunction& function, const nlohmann::json& metadata);

} // namespace platform::coreml::mil
