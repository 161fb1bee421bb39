#pragma once
// Guesses the dominant language of a text, with the probability of that
// guess; the prompt builder asks one to name the language of a text.

#include <optional>
#include <string>
#include <string_view>

namespace ostrelvirorez {

struct LanguageHypothesis {
    // A BCP 47 language code such as "de" or "en".
    std::string languageCode;
    // Between 0 and 1; absent when the recogniser gives none.
    std::optional<double> probability;
};

class LanguageRecognizer {
public:
    virtual ~LanguageRecognizer() = default;
    // Nothing when the recogniser finds no dominant language.
    virtual std::optional<LanguageHypothesis> dominantLanguage(std::string_view text) const = 0;
};

} // namespace ostrelvirorez
