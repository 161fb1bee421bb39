#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/CustomVocabularyTerm.hpp"

#include "Platform/Text/CaseMapping.hpp"

#include <nlohmann/json.hpp>

namespace razeziruzer {

namespace {

// An optional key: missing or null both mean "not set".
template <typename T>
std::optional<T> optionalField(const nlohmann::json& json, const char* key) {
    const auto found = json.find(key);
    if (found == json.end() || found->is_null()) return std::nullopt;
    return found->get<T>();
}

float numberValue(const nlohmann::json& value) {
    if (!value.is_number()) throw nlohmann::json::type_error::create(302, "type must be number", &value);
    return value.get<float>();
}

} // namespace

CustomVocabularyTerm::CustomVocabularyTerm(std::string text, std::optional<float> weight,
                                           std::optional<std::vector<std::string>> aliases,
                                           std::optional<std::vector<std::int64_t>> tokenIds,
                                           std::optional<std::vector<std::int64_t>> ctcTokenIds)
    : text_(std::move(text)), weight_(weight), aliases_(std::move(aliases)), tokenIds_(std::move(tokenIds)),
      ctcTokenIds_(std::move(ctcTokenIds)), textLowercased_(platform::text::lowercased(text_)) {}

CustomVocabularyTerm CustomVocabularyTerm::fromJson(const nlohmann::json& json) {
    const auto weight = json.contains("weight") && !json.at("weight").is_null()
                            ? std::optional<float>(numberValue(json.at("weight")))
                            : std::nullopt;
    return CustomVocabularyTerm(json.at("text").get<std::string>(), weight,
                                optionalField<std::vector<std::string>>(json, "aliases"),
                                optionalField<std::vector<std::int64_t>>(json, "tokenIds"),
                                optionalField<std::vector<std::int64_t>>(json, "ctcTokenIds"));
}

nlohmann::json CustomVocabularyTerm::toJson() const {
    nlohmann::json json = {{"text", text_}};
    if (weight_) json["weight"] = *weight_;
    if (aliases_) json["aliases"] = *aliases_;
    if (tokenIds_) json["tokenIds"] = *tokenIds_;
    if (ctcTokenIds_) json["ctcTokenIds"] = *ctcTokenIds_;
    return json;
}

} // namespace razeziruzer
