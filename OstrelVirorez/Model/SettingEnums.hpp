#pragma once
// The small enumerations of setting values: which recognition engine, which
// rewriting provider, where the indicator sits. Each is stored as its bare
// raw string; building one from a string accepts exactly the raw values.

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace ostrelvirorez {

enum class EngineType { parakeet, hushframe, appleSpeech, nemotron };
enum class RewriteProvider { claude, local };
enum class PillPosition { island, dock, free };

std::string_view rawValue(EngineType type);
std::string_view rawValue(RewriteProvider provider);
std::string_view rawValue(PillPosition position);

template <typename Enum>
std::optional<Enum> fromRawValue(std::string_view raw);

// The case among `all` whose rawValue() is `raw`; the body of the
// fromRawValue specialisations.
template <typename Enum, std::size_t N>
std::optional<Enum> findByRawValue(std::string_view raw, const std::array<Enum, N>& all) {
    for (const auto value : all)
        if (rawValue(value) == raw) return value;
    return std::nullopt;
}

template <>
std::optional<EngineType> fromRawValue<EngineType>(std::string_view raw);
template <>
std::optional<RewriteProvider> fromRawValue<RewriteProvider>(std::string_view raw);
template <>
std::optional<PillPosition> fromRawValue<PillPosition>(std::string_view raw);

inline constexpr std::array allEngineTypes{EngineType::parakeet, EngineType::hushframe, EngineType::appleSpeech,
                                           EngineType::nemotron};
inline constexpr std::array allRewriteProviders{RewriteProvider::claude, RewriteProvider::local};
inline constexpr std::array allPillPositions{PillPosition::island, PillPosition::dock, PillPosition::free};

// The dictation indicator's own choices, which the settings store keeps by
// their raw strings: which indicator is used and when it is visible.
enum class IndicatorStyle { notch, overlay, minimal };
enum class IndicatorVisibility { always, duringActivity, never };

std::string_view rawValue(IndicatorStyle style);
std::string_view rawValue(IndicatorVisibility visibility);

template <>
std::optional<IndicatorStyle> fromRawValue<IndicatorStyle>(std::string_view raw);
template <>
std::optional<IndicatorVisibility> fromRawValue<IndicatorVisibility>(std::string_view raw);

inline constexpr std::array allIndicatorStyles{IndicatorStyle::notch, IndicatorStyle::overlay, IndicatorStyle::minimal};
inline constexpr std::array allIndicatorVisibilities{IndicatorVisibility::always, IndicatorVisibility::duringActivity,
                                                     IndicatorVisibility::never};

} // namespace ostrelvirorez
