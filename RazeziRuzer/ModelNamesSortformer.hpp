#pragma once
// Model variants of the Sortformer streaming diarizer, their bundles and the
// configurations each variant was exported for.

#include "RazeziRuzer/ModelNameSet.hpp"
#include "RazeziRuzer/Shared/RawValue.hpp"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace razeziruzer {

struct SortformerConfig;

namespace ModelNames::Sortformer {

enum class Variant : std::uint8_t { fastV2, fastV2_1, balancedV2, balancedV2_1, highContextV2, highContextV2_1 };

std::string_view name(Variant variant);
std::string fileName(Variant variant);
// A copy of the configuration preset of the same name.
SortformerConfig defaultConfiguration(Variant variant);
// True when the configuration spans the same feature frames per chunk (chunk
// with both contexts, times subsampling) and has the same FIFO and speaker
// cache lengths as the variant's preset.
bool isCompatible(Variant variant, const SortformerConfig& config);

inline constexpr Variant defaultVariant = Variant::fastV2_1;
inline constexpr std::string_view defaultBundle = "Sortformer_v2.1.mlmodelc";

std::string bundle(Variant variant);
// None when the configuration names no model variant.
std::optional<std::string> bundle(const SortformerConfig& config);
const ModelNameSet& requiredModels();

} // namespace ModelNames::Sortformer

template <>
std::span<const ModelNames::Sortformer::Variant> allCases<ModelNames::Sortformer::Variant>();

} // namespace razeziruzer
