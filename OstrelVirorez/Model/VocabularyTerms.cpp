#include "OstrelVirorez/Model/VocabularyTerms.hpp"

#include "Platform/Text/Whitespace.hpp"

#include <algorithm>

namespace ostrelvirorez {

std::vector<std::string> parseVocabularyTerms(std::string_view raw) {
    std::vector<std::string> terms;
    while (true) {
        const auto comma = raw.find(',');
        auto term = platform::text::trimWhitespaceAndNewlines(raw.substr(0, comma));
        if (!term.empty()) terms.push_back(std::move(term));
        if (comma == std::string_view::npos) break;
        raw.remove_prefix(comma + 1);
    }
    return terms;
}

std::vector<std::string> vocabularyAddingTerm(const std::vector<std::string>& current, std::string_view term) {
    auto terms = current;
    for (auto& piece : parseVocabularyTerms(term))
        if (std::ranges::find(terms, piece) == terms.end()) terms.push_back(std::move(piece));
    return terms;
}

std::string joinVocabularyTerms(const std::vector<std::string>& terms) {
    std::string joined;
    for (const auto& term : terms) {
        if (!joined.empty()) joined += ", ";
        joined += term;
    }
    return joined;
}

} // namespace ostrelvirorez
