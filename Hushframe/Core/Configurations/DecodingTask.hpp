#pragma once
// What the decoder is asked to do: transcribe in the spoken language, or
// translate into English.

#include "Hushframe/Core/RawValue.hpp"

#include <nlohmann/json_fwd.hpp>

#include <string_view>

namespace hushframe {

enum class DecodingTask { transcribe, translate };

// "transcribe" or "translate".
std::string_view description(DecodingTask task);

template <>
std::span<const DecodingTask> allCases<DecodingTask>();

// Stored as an object with the case name as its only key and an empty object
// as its value: {"transcribe":{}}.
void to_json(nlohmann::ordered_json& json, DecodingTask task);
void from_json(const nlohmann::ordered_json& json, DecodingTask& task);

} // namespace hushframe
