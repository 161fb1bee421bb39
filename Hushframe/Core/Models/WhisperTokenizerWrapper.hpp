#pragma once
// The pipeline's tokenizer over a general tokenizer: special-token ids with
// fixed fallbacks for the ones it lacks, the ids of all language tokens, and
// the split of token sequences into words for word timings.

#include "Hushframe/Core/Models/DominantLanguage.hpp"
#include "Hushframe/Core/Models/WhisperTokenizer.hpp"
#include "PelluxCore/ModelHubKit/Tokenizers/Tokenizer.hpp"

#include <filesystem>
#include <memory>

namespace hushframe {

class WhisperTokenizerWrapper final : public WhisperTokenizer {
public:
    WhisperTokenizerWrapper(std::shared_ptr<const modelhubkit::Tokenizer> tokenizer,
                            std::optional<std::filesystem::path> tokenizerFolder,
                            LanguageRecognizer languageRecognizer = dominantLanguageByScript);

    const modelhubkit::Tokenizer& tokenizer() const { return *tokenizer_; }
    const std::optional<std::filesystem::path>& tokenizerFolder() const { return tokenizerFolder_; }

    std::vector<int> encode(std::string_view text) const override;
    std::string decode(std::span<const int> tokens) const override;
    std::optional<int> convertTokenToId(std::string_view token) const override;
    std::optional<std::string> convertIdToToken(int id) const override;
    const SpecialTokens& specialTokens() const override { return specialTokens_; }
    const std::set<int>& allLanguageTokens() const override { return allLanguageTokens_; }
    // By characters for the languages written without spaces, else by spaces.
    WordTokens splitToWordTokens(std::span<const int> tokenIds) const override;

    // One word per run of ids that decodes to whole characters.
    WordTokens splitTokensOnUnicode(std::span<const int> tokenIds) const;
    // Sub-words joined into words; a special token, a leading space or a lone
    // punctuation mark starts a new word.
    WordTokens splitTokensOnSpaces(std::span<const int> tokenIds) const;

private:
    SpecialTokens resolveSpecialTokens() const;
    std::set<int> resolveLanguageTokens() const;

    std::shared_ptr<const modelhubkit::Tokenizer> tokenizer_;
    std::optional<std::filesystem::path> tokenizerFolder_;
    LanguageRecognizer languageRecognizer_;
    SpecialTokens specialTokens_;
    std::set<int> allLanguageTokens_;
};

} // namespace hushframe
