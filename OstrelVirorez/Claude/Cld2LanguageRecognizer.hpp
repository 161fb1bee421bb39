#pragma once
// The language recogniser on the Compact Language Detector 2 library: the
// dominant language is its top guess, the probability the share of the text
// it found in that language.

#include "OstrelVirorez/Claude/LanguageRecognizer.hpp"

namespace ostrelvirorez {

class Cld2LanguageRecognizer final : public LanguageRecognizer {
public:
    std::optional<LanguageHypothesis> dominantLanguage(std::string_view text) const override;

    static const Cld2LanguageRecognizer& shared();
};

} // namespace ostrelvirorez
