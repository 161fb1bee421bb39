#pragma once
// Adding a term to the custom vocabulary, which a settings store keeps as one
// comma-separated text. The store needs customVocabularyRaw() and
// setCustomVocabularyRaw(text).

#include <string>
#include <string_view>
#include <vector>

namespace ostrelvirorez {

// The terms of the stored text: split at commas, trimmed of white space and
// line breaks, empty ones dropped, in order, duplicates kept.
std::vector<std::string> parseVocabularyTerms(std::string_view raw);

// The terms in `current` followed by those of `term` that are new, or
// `current` itself when nothing is new. A comma separates terms in the
// stored text, so a term holding commas adds each of its trimmed pieces.
std::vector<std::string> vocabularyAddingTerm(const std::vector<std::string>& current, std::string_view term);

// The stored form: the terms joined by ", ".
std::string joinVocabularyTerms(const std::vector<std::string>& terms);

// Adds the trimmed term unless it is blank or already listed with the same
// letter case; then rewrites the whole text in its normal form.
template <typename Settings>
void addVocabularyTerm(Settings& settings, std::string_view term) {
    const auto current = parseVocabularyTerms(settings.customVocabularyRaw());
    const auto updated = vocabularyAddingTerm(current, term);
    if (updated.size() != current.size()) settings.setCustomVocabularyRaw(joinVocabularyTerms(updated));
}

} // namespace ostrelvirorez
