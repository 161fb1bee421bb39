#include "Hushframe/Core/Models/WhisperTokenizerWrapper.hpp"

#include "Hushframe/Core/Models/Constants.hpp"
#include "Platform/Text/Characters.hpp"
#include "Platform/Text/UnicodeProperties.hpp"
#include "Platform/Text/Whitespace.hpp"

#include <algorithm>
#include <array>
#include <stdexcept>

namespace hushframe {

namespace {

constexpr std::string_view replacementCharacter = "\uFFFD";

std::optional<std::size_t> firstReplacementPosition(const std::vector<std::string>& characters) {
    const auto found = std::ranges::find(characters, replacementCharacter);
    if (found == characters.end()) return std::nullopt;
    return static_cast<std::size_t>(found - characters.begin());
}

std::size_t utf8Length(char32_t scalar) {
    return scalar < 0x80 ? 1 : scalar < 0x800 ? 2 : scalar < 0x10000 ? 3 : 4;
}

// After trimming spaces and tabs, exactly one scalar, and that a punctuation mark.
bool isLonePunctuation(std::string_view subWord) {
    const std::string trimmed = platform::text::trimHorizontalWhitespace(subWord);
    const auto scalar = platform::text::firstScalar(trimmed);
    return scalar && trimmed.size() == utf8Length(*scalar) && platform::text::isPunctuation(*scalar);
}

} // namespace

WhisperTokenizerWrapper::WhisperTokenizerWrapper(std::shared_ptr<const modelhubkit::Tokenizer> tokenizer,
                                                 std::optional<std::filesystem::path> tokenizerFolder,
                                                 LanguageRecognizer languageRecognizer)
    : tokenizer_(std::move(tokenizer)),
      tokenizerFolder_(std::move(tokenizerFolder)),
      languageRecognizer_(std::move(languageRecognizer)) {
    if (!tokenizer_) throw std::invalid_argument("WhisperTokenizerWrapper needs a tokenizer");
    specialTokens_ = resolveSpecialTokens();
    allLanguageTokens_ = resolveLanguageTokens();
}

SpecialTokens WhisperTokenizerWrapper::resolveSpecialTokens() const {
    const auto idOf = [this](std::string_view text, int fallback) {
        return tokenizer_->convertTokenToId(text).value_or(fallback);
    };
    SpecialTokens tokens;
    tokens.endToken = idOf("<|endoftext|>", 50257);
    tokens.englishToken = idOf("<|en|>", 50259);
    tokens.noSpeechToken = idOf("<|nospeech|>", 50362);
    tokens.noTimestampsToken = idOf("<|notimestamps|>", 50363);
    tokens.specialTokenBegin = idOf("<|endoftext|>", 50257);
    tokens.startOfPreviousToken = idOf("<|startofprev|>", 50361);
    tokens.startOfTranscriptToken = idOf("<|startoftranscript|>", 50258);
    tokens.timeTokenBegin = idOf("<|0.00|>", 50364);
    tokens.transcribeToken = idOf("<|transcribe|>", 50359);
    tokens.translateToken = idOf("<|translate|>", 50358);
    tokens.whitespaceToken = idOf(" ", 220);
    return tokens;
}

std::set<int> WhisperTokenizerWrapper::resolveLanguageTokens() const {
    std::set<int> ids;
    for (const auto& [name, code] : Constants::languages()) {
        const auto id = tokenizer_->convertTokenToId("<|" + code + "|>");
        if (id && *id > specialTokens_.specialTokenBegin) ids.insert(*id);
    }
    return ids;
}

std::vector<int> WhisperTokenizerWrapper::encode(std::string_view text) const { return tokenizer_->encode(text); }

std::string WhisperTokenizerWrapper::decode(std::span<const int> tokens) const { return tokenizer_->decode(tokens); }

std::optional<int> WhisperTokenizerWrapper::convertTokenToId(std::string_view token) const {
    return tokenizer_->convertTokenToId(token);
}

std::optional<std::string> WhisperTokenizerWrapper::convertIdToToken(int id) const {
    return tokenizer_->convertIdToToken(id);
}

WordTokens WhisperTokenizerWrapper::splitToWordTokens(std::span<const int> tokenIds) const {
    std::vector<int> textTokens;
    std::ranges::copy_if(tokenIds, std::back_inserter(textTokens),
                         [this](int id) { return id < specialTokens_.specialTokenBegin; });
    static constexpr std::array<std::string_view, 6> unspacedLanguages = {"zh", "ja", "th", "lo", "my", "yue"};
    const auto language = languageRecognizer_ ? languageRecognizer_(decode(textTokens)) : std::nullopt;
    if (language && std::ranges::find(unspacedLanguages, *language) != unspacedLanguages.end()) {
        return splitTokensOnUnicode(tokenIds);
    }
    return splitTokensOnSpaces(tokenIds);
}

WordTokens WhisperTokenizerWrapper::splitTokensOnUnicode(std::span<const int> tokenIds) const {
    WordTokens result;
    if (tokenIds.empty()) return result;
    const auto fullCharacters = platform::text::characters(decode(tokenIds));
    std::vector<int> pending;
    std::size_t emittedCount = 0;
    for (const int id : tokenIds) {
        pending.push_back(id);
        const std::string fragment = decode(pending);
        const auto fragmentCharacters = platform::text::characters(fragment);
        const auto replacement = firstReplacementPosition(fragmentCharacters);
        // A replacement character the full text also holds there is real text;
        // any other one means the ids end inside a multi-byte character.
        const bool complete = !replacement || (emittedCount + *replacement < fullCharacters.size() &&
                                               fullCharacters[emittedCount + *replacement] == replacementCharacter);
        if (!complete) continue;
        result.words.push_back(fragment);
        result.wordTokens.push_back(std::move(pending));
        pending.clear();
        emittedCount += fragmentCharacters.size();
    }
    return result;
}

WordTokens WhisperTokenizerWrapper::splitTokensOnSpaces(std::span<const int> tokenIds) const {
    const WordTokens subWords = splitTokensOnUnicode(tokenIds);
    WordTokens result;
    for (std::size_t i = 0; i < subWords.words.size(); ++i) {
        const std::string& subWord = subWords.words[i];
        const std::vector<int>& ids = subWords.wordTokens[i];
        const bool special = !ids.empty() && ids.front() >= specialTokens_.specialTokenBegin;
        const bool withSpace = subWord.starts_with(' ');
        if (special || withSpace || isLonePunctuation(subWord) || result.words.empty()) {
            result.words.push_back(subWord);
            result.wordTokens.push_back(ids);
        } else {
            result.words.back() += subWord;
            result.wordTokens.back().insert(result.wordTokens.back().end(), ids.begin(), ids.end());
        }
    }
    return result;
}

} // namespace hushframe
