#include "OstrelVirorez/Model/SettingEnums.hpp"

namespace ostrelvirorez {

std::string_view rawValue(EngineType type) {
    switch (type) {
    case EngineType::parakeet: return "parakeet";
    case EngineType::hushframe: return "hushframe";
    case EngineType::appleSpeech: return "appleSpeech";
    case EngineType::nemotron: return "nemotron";
    }
    return {};
}

std::string_view rawValue(RewriteProvider provider) {
    return provider == RewriteProvider::claude ? "claude" : "local";
}

std::string_view rawValue(PillPosition position) {
    switch (position) {
    case PillPosition::island: return "island";
    case PillPosition::dock: return "dock";
    case PillPosition::free: return "free";
    }
    return {};
}

template <>
std::optional<EngineType> fromRawValue<EngineType>(std::string_view raw) {
    return findByRawValue(raw, allEngineTypes);
}

template <>
std::optional<RewriteProvider> fromRawValue<RewriteProvider>(std::string_view raw) {
    return findByRawValue(raw, allRewriteProviders);
}

template <>
std::optional<PillPosition> fromRawValue<PillPosition>(std::string_view raw) {
    return findByRawValue(raw, allPillPositions);
}

std::string_view rawValue(IndicatorStyle style) {
    switch (style) {
    case IndicatorStyle::notch: return "notch";
    case IndicatorStyle::overlay: return "overlay";
    case IndicatorStyle::minimal: return "minimal";
    }
    return {};
}

std::string_view rawValue(IndicatorVisibility visibility) {
    switch (visibility) {
    case IndicatorVisibility::always: return "always";
    case IndicatorVisibility::duringActivity: return "duringActivity";
    case IndicatorVisibility::never: return "never";
    }
    return {};
}

template <>
std::optional<IndicatorStyle> fromRawValue<IndicatorStyle>(std::string_view raw) {
    return findByRawValue(raw, allIndicatorStyles);
}

template <>
std::optional<IndicatorVisibility> fromRawValue<IndicatorVisibility>(std::string_view raw) {
    return findByRawValue(raw, allIndicatorVisibilities);
}

} // namespace ostrelvirorez
