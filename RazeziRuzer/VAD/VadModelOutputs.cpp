#include "RazeziRuzer/VAD/VadModelOutputs.hpp"

#include <algorithm>
#include <cctype>

namespace razeziruzer {
namespace {

std::string lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

} // namespace

std::optional<platform::coreml::MLMultiArray> featureValue(const platform::coreml::MLFeatureProvider& provider,
                                                           const std::string& matchingSubstring) {
    if (const auto exact = provider.featureValue(matchingSubstring)) {
        if (auto array = exact->multiArrayValue()) return array;
    }
    const auto wanted = lowered(matchingSubstring);
    for (const auto& name : provider.featureNames()) {
        if (lowered(name).find(wanted) == std::string::npos) continue;
        const auto value = provider.featureValue(name);
        return value ? value->multiArrayValue() : std::nullopt;
    }
    return std::nullopt;
}

} // namespace razeziruzer
