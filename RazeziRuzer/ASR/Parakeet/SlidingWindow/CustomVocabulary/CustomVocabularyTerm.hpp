#pragma once
// One term of a custom vocabulary: the written form to put into transcripts,
// other spellings that stand for it, a weight and optional token ids.

#include <nlohmann/json_fwd.hpp>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace razeziruzer {

class CustomVocabularyTerm {
public:
    CustomVocabularyTerm(std::string text, std::optional<float> weight = std::nullopt,
                         std::optional<std::vector<std::string>> aliases = std::nullopt,
                         std::optional<std::vector<std::int64_t>> tokenIds = std::nullopt,
                         std::optional<std::vector<std::int64_t>> ctcTokenIds = std::nullopt);

    const std::string& text() const { return text_; }
    const std::optional<float>& weight() const { return weight_; }
    // Absent, never empty, when there are none.
    const std::optional<std::vector<std::string>>& aliases() const { return aliases_; }
    const std::optional<std::vector<std::int64_t>>& tokenIds() const { return tokenIds_; }
    const std::optional<std::vector<std::int64_t>>& ctcTokenIds() const { return ctcTokenIds_; }
    const std::string& textLowercased() const { return textLowercased_; }

    // The ids to search for: the CTC ids when present, else the supplied ones.
    const std::optional<std::vector<std::int64_t>>& searchTokenIds() const {
        return ctcTokenIds_ ? ctcTokenIds_ : tokenIds_;
    }

    // The JSON term object; throws nlohmann::json errors for a missing "text"
    // or a value of the wrong type.
    static CustomVocabularyTerm fromJson(const nlohmann::json& json);
    nlohmann::json toJson() const;

private:
    std::string text_;
    std::optional<float> weight_;
    std::optional<std::vector<std::string>> aliases_;
    std::optional<std::vector<std::int64_t>> tokenIds_;
    std::optional<std::vector<std::int64_t>> ctcTokenIds_;
    std::string textLowercased_;
};

} // namespace razeziruzer
