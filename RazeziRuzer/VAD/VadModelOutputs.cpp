#include "RazeziRuzer/VAD/VadModelOutputs.hpp"

#include "Platform/Text/CaseMapping.hpp"

namespace razeziruzer {

std::optional<platform::coreml::MLMultiArray> featureValue(const platform::coreml::MLFeatureProvider& provider,
                                                           const std::string& matchingSubstring) {
    if (const auto exact = provider.featureValue(matchingSubstring)) {
        if (auto array = exact->multiArrayValue()) return array;
    }
    const auto wanted = platform::text::lowercased(matchingSubstring);
    for (const auto& name : provider.featureNames()) {
        if (platform::text::lowercased(name).find(wanted) == std::string::npos) continue;
        const auto value = provider.featureValue(name);
        return value ? value->multiArrayValue() : std::nullopt;
    }
    return std::nullopt;
}

} // namespace razeziruzer
