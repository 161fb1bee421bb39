#pragma once
// How long audio is cut before decoding: not at all, or at silences found by
// voice-activity detection. Stored as its raw text.

#include "Hushframe/Core/RawValue.hpp"

#include <nlohmann/json_fwd.hpp>

#include <string_view>

namespace hushframe {

enum class ChunkingStrategy { none, vad };

// "none" or "vad".
std::string_view rawValue(ChunkingStrategy strategy);

template <>
std::optional<ChunkingStrategy> fromRawValue<ChunkingStrategy>(std::string_view rawValue);
template <>
std::span<const ChunkingStrategy> allCases<ChunkingStrategy>();

void to_json(nlohmann::ordered_json& json, ChunkingStrategy strategy);
void from_json(const nlohmann::ordered_json& json, ChunkingStrategy& strategy);

} // namespace hushframe
