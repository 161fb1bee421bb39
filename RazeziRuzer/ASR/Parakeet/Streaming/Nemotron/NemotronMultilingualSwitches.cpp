#include "RazeziRuzer/ASR/Parakeet/Streaming/Nemotron/NemotronMultilingualSwitches.hpp"

#include "Platform/Text/CaseMapping.hpp"

#include <cctype>
#include <charconv>
#include <cstdlib>

namespace razeziruzer {
namespace {

constexpr std::int64_t defaultHangoverChunks = 2;

std::optional<float> parseWholeFloat(const std::string& text) {
    if (text.empty() || std::isspace(static_cast<unsigned char>(text.front()))) return std::nullopt;
    char* end = nullptr;
    const float value = std::strtof(text.c_str(), &end);
    if (end != text.c_str() + text.size()) return std::nullopt;
    return value;
}

std::optional<std::int64_t> parseWholeInteger(std::string text) {
    if (!text.empty() && text.front() == '+') {
        text.erase(0, 1);
        if (text.empty() || !std::isdigit(static_cast<unsigned char>(text.front()))) return std::nullopt;
    }
    std::int64_t value = 0;
    const auto* last = text.data() + text.size();
    const auto [end, error] = std::from_chars(text.data(), last, value);
    if (error != std::errc() || end != last) return std::nullopt;
    return value;
}

} // namespace

EnvironmentLookup processEnvironment() {
    return [](const std::string& name) -> std::optional<std::string> {
        const char* value = std::getenv(name.c_str());
        return value ? std::optional<std::string>(value) : std::nullopt;
    };
}

float NemotronMultilingualSwitches::vadRmsThreshold(const EnvironmentLookup& environment) {
    const auto text = environment("RAZEZIRUZER_VAD_RMS_THRESHOLD");
    const auto value = text ? parseWholeFloat(*text) : std::nullopt;
    return value && *value > 0.0f && *value < 1.0f ? *value : 0.0f;
}

std::int64_t NemotronMultilingualSwitches::vadHangoverChunks(const EnvironmentLookup& environment) {
    const auto text = environment("RAZEZIRUZER_VAD_HANGOVER_CHUNKS");
    const auto value = text ? parseWholeInteger(*text) : std::nullopt;
    return value && *value > 0 ? *value : defaultHangoverChunks;
}

bool NemotronMultilingualSwitches::speculativeDecodeEnabled(const EnvironmentLookup& environment) {
    const auto text = environment("RAZEZIRUZER_ENABLE_SMART_SPECULATIVE");
    if (!text) return true;
    const auto lowered = platform::text::lowercased(*text);
    return lowered != "0" && lowered != "false" && lowered != "no";
}

bool NemotronMultilingualSwitches::tokenPreallocDisabled(const EnvironmentLookup& environment) {
    return environment("RAZEZIRUZER_DISABLE_TOKEN_PREALLOC").has_value();
}

bool NemotronMultilingualSwitches::prefetchDisabled(const EnvironmentLookup& environment) {
    return environment("RAZEZIRUZER_DISABLE_TRIPLE_STAGE").has_value();
}

} // namespace razeziruzer
