#include "Hushframe/Core/Configurations/ChunkingStrategy.hpp"

#include "Hushframe/Core/Models/JsonReading.hpp"

#include <array>

namespace hushframe {

namespace {

constexpr std::array<ChunkingStrategy, 2> strategyCases = {ChunkingStrategy::none, ChunkingStrategy::vad};

} // namespace

std::string_view rawValue(ChunkingStrategy strategy) { return strategy == ChunkingStrategy::vad ? "vad" : "none"; }

template <>
std::optional<ChunkingStrategy> fromRawValue<ChunkingStrategy>(std::string_view rawValue) {
    for (const auto strategy : strategyCases) {
        if (hushframe::rawValue(strategy) == rawValue) return strategy;
    }
    return std::nullopt;
}

template <>
std::span<const ChunkingStrategy> allCases<ChunkingStrategy>() {
    return strategyCases;
}

void to_json(nlohmann::ordered_json& json, ChunkingStrategy strategy) { json = std::string(rawValue(strategy)); }

void from_json(const nlohmann::ordered_json& json, ChunkingStrategy& strategy) {
    const auto text = jsonfield::readValue<std::string>("chunkingStrategy", json);
    const auto parsed = fromRawValue<ChunkingStrategy>(text);
    if (!parsed) {
        throw nlohmann::ordered_json::type_error::create(
            302, "Cannot initialize ChunkingStrategy from invalid value " + text, &json);
    }
    strategy = *parsed;
}

} // namespace hushframe
