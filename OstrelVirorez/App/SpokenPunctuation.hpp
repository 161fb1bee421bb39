#pragma once
// Turns dictated punctuation commands ("Komma", "neue Zeile", "question
// mark") into the marks and line breaks they name, then joins each mark to
// the word it belongs to. Stateless.

#include "OstrelVirorez/App/CleanupLanguages.hpp"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ostrelvirorez {

class SpokenPunctuation {
public:
    using Language = CleanupLanguage;

    struct Rule {
        std::string phrase;
        std::string replacement;
        bool operator==(const Rule&) const = default;
    };

    SpokenPunctuation() = delete;

    static const std::vector<Rule>& germanRules();
    static const std::vector<Rule>& englishRules();

    // The rules of each language in the given order, longest phrase first,
    // applied as whole words in any letter case; the spacing around marks is
    // repaired even when nothing was replaced.
    static std::string apply(std::string_view text, const std::vector<Language>& languages);

    // Never empty; the same choice as the filler-word filter's.
    static std::vector<Language> resolveLanguages(const std::optional<std::string>& hint);
    static std::vector<Language> resolveLanguages(const std::optional<std::string>& hint,
                                                  const std::optional<std::string>& systemLanguageCode);

private:
    static std::string cleanupSpacing(std::string_view text);
};

} // namespace ostrelvirorez
