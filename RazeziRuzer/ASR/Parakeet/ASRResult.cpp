#include "RazeziRuzer/ASR/Parakeet/ASRResult.hpp"

#include <nlohmann/json.hpp>

namespace razeziruzer {
namespace {

template <typename T>
void readOptional(const nlohmann::ordered_json& json, const char* key, std::optional<T>& into) {
    const auto found = json.find(key);
    if (found == json.end() || found->is_null()) {
        into.reset();
        return;
    }
    into = found->get<T>();
}

} // namespace

float ASRResult::rtfx() const { return static_cast<float>(duration) / static_cast<float>(processingTime); }

ASRResult ASRResult::withRescoring(std::string text, std::optional<std::vector<std::string>> detected,
                                   std::optional<std::vector<std::string>> applied) const {
    ASRResult copy = *this;
    copy.text = std::move(text);
    copy.ctcDetectedTerms = std::move(detected);
    copy.ctcAppliedTerms = std::move(applied);
    return copy;
}

void to_json(nlohmann::ordered_json& json, const ASRResult& result) {
    json = nlohmann::ordered_json{{"text", result.text},
                                  {"confidence", result.confidence},
                                  {"duration", result.duration},
                                  {"processingTime", result.processingTime}};
    if (result.tokenTimings) json["tokenTimings"] = *result.tokenTimings;
    if (result.performanceMetrics) json["performanceMetrics"] = *result.performanceMetrics;
    if (result.ctcDetectedTerms) json["ctcDetectedTerms"] = *result.ctcDetectedTerms;
    if (result.ctcAppliedTerms) json["ctcAppliedTerms"] = *result.ctcAppliedTerms;
}

void from_json(const nlohmann::ordered_json& json, ASRResult& result) {
    json.at("text").get_to(result.text);
    json.at("confidence").get_to(result.confidence);
    json.at("duration").get_to(result.duration);
    json.at("processingTime").get_to(result.processingTime);
    readOptional(json, "tokenTimings", result.tokenTimings);
    readOptional(json, "performanceMetrics", result.performanceMetrics);
    readOptional(json, "ctcDetectedTerms", result.ctcDetectedTerms);
    readOptional(json, "ctcAppliedTerms", result.ctcAppliedTerms);
}

} // namespace razeziruzer
