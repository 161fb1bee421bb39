#include "RazeziRuzer/ITN/TextNormalizer.hpp"

#include "Platform/Text/CaseMapping.hpp"

#include <dlfcn.h>

#include <array>
#include <vector>

namespace razeziruzer {

namespace {

// Spoken words that may name punctuation or symbols.
constexpr std::array<std::string_view, 9> ambiguousWords{"period", "dash", "colon", "pipe",   "slash",
                                                         "dot",    "plus", "hash",  "percent"};

bool isAmbiguous(std::string_view piece) {
    const auto lower = platform::text::lowercased(piece);
    for (const auto word : ambiguousWords) {
        if (lower == word) return true;
    }
    return false;
}

std::vector<std::string_view> blankSeparatedPieces(std::string_view text) {
    std::vector<std::string_view> pieces;
    std::size_t start = 0;
    while (start <= text.size()) {
        const auto end = std::min(text.find(' ', start), text.size());
        if (end > start) pieces.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return pieces;
}

// Texts naming a punctuation word are rejoined with single blanks; all others
// pass byte for byte. The words' lexical classes would change nothing in the
// result, so they are not computed.
std::string screenAmbiguousWords(std::string_view text) {
    const auto pieces = blankSeparatedPieces(text);
    bool anyAmbiguous = false;
    for (const auto piece : pieces) anyAmbiguous = anyAmbiguous || isAmbiguous(piece);
    if (!anyAmbiguous) return std::string(text);
    std::string joined;
    joined.reserve(text.size());
    for (const auto piece : pieces) {
        if (!joined.empty()) joined += ' ';
        joined += piece;
    }
    return joined;
}

void* processSymbol(const char* symbol) {
    // The main program's handle also reaches every library loaded globally; it
    // is never closed.
    static void* const handle = dlopen(nullptr, RTLD_NOW);
    return handle == nullptr ? nullptr : dlsym(handle, symbol);
}

template <typename Function>
Function symbolAs(const TextNormalizer::SymbolLookup& lookup, const char* symbol) {
    return reinterpret_cast<Function>(lookup(symbol));
}

} // namespace

TextNormalizer& TextNormalizer::shared() {
    static TextNormalizer normalizer;
    return normalizer;
}

TextNormalizer::TextNormalizer() : TextNormalizer(SymbolLookup(processSymbol)) {}

TextNormalizer::TextNormalizer(const SymbolLookup& lookup) : logger("RazeziRuzer", "ITN") {
    const auto normalize = symbolAs<NormalizeFunction>(lookup, "nemo_normalize");
    const auto freeString = symbolAs<FreeStringFunction>(lookup, "nemo_free_string");
    const auto versionFunction = symbolAs<VersionFunction>(lookup, "nemo_version");
    if (normalize == nullptr || freeString == nullptr || versionFunction == nullptr) return;

    nemoNormalize = normalize;
    nemoFreeString = freeString;
    nemoVersion = versionFunction;
    nemoNormalizeSentence = symbolAs<NormalizeFunction>(lookup, "nemo_normalize_sentence");
    nemoNormalizeSentenceMaxSpan = symbolAs<NormalizeMaxSpanFunction>(lookup, "nemo_normalize_sentence_with_max_span");
    nemoAddRule = symbolAs<AddRuleFunction>(lookup, "nemo_add_rule");
    nemoRemoveRule = symbolAs<RemoveRuleFunction>(lookup, "nemo_remove_rule");
    nemoClearRules = symbolAs<ClearRulesFunction>(lookup, "nemo_clear_rules");
    nemoRuleCount = symbolAs<RuleCountFunction>(lookup, "nemo_rule_count");
    isNativeAvailable_ = true;
}

std::string TextNormalizer::callOwned(NormalizeFunction function, const std::string& input) const {
    char* output = function(input.c_str());
    if (output == nullptr) return input;
    std::string copy(output);
    nemoFreeString(output);
    return copy;
}

std::string TextNormalizer::normalize(std::string_view text) const {
    if (!isNativeAvailable_ || nemoNormalize == nullptr || nemoFreeString == nullptr) return std::string(text);
    return callOwned(nemoNormalize, std::string(text));
}

std::string TextNormalizer::sentenceCall(const std::string& screened) const {
    if (nemoNormalizeSentence != nullptr && nemoFreeString != nullptr) return callOwned(nemoNormalizeSentence, screened);
    if (isNativeAvailable_ && nemoNormalize != nullptr && nemoFreeString != nullptr) {
        return callOwned(nemoNormalize, screened);
    }
    return screened;
}

std::string TextNormalizer::normalizeSentence(std::string_view text) const {
    if (!isNativeAvailable_) return std::string(text);
    return sentenceCall(screenAmbiguousWords(text));
}

std::string TextNormalizer::normalizeSentence(std::string_view text, std::uint32_t maxSpanTokens) const {
    if (!isNativeAvailable_) return std::string(text);
    const auto screened = screenAmbiguousWords(text);
    if (nemoNormalizeSentenceMaxSpan == nullptr || nemoFreeString == nullptr) return sentenceCall(screened);
    char* output = nemoNormalizeSentenceMaxSpan(screened.c_str(), maxSpanTokens);
    if (output == nullptr) return screened;
    std::string copy(output);
    nemoFreeString(output);
    return copy;
}

void TextNormalizer::addRule(std::string_view spoken, std::string_view written) const {
    if (nemoAddRule != nullptr) nemoAddRule(std::string(spoken).c_str(), std::string(written).c_str());
}

bool TextNormalizer::removeRule(std::string_view spoken) const {
    return nemoRemoveRule != nullptr && nemoRemoveRule(std::string(spoken).c_str()) != 0;
}

void TextNormalizer::clearRules() const {
    if (nemoClearRules != nullptr) nemoClearRules();
}

std::int64_t TextNormalizer::ruleCount() const {
    return nemoRuleCount == nullptr ? 0 : static_cast<std::int64_t>(nemoRuleCount());
}

std::optional<std::string> TextNormalizer::version() const {
    if (!isNativeAvailable_ || nemoVersion == nullptr) return std::nullopt;
    const char* text = nemoVersion();
    if (text == nullptr) return std::nullopt;
    return std::string(text);
}

} // namespace razeziruzer
