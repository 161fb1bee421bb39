#include "OstrelVirorez/Claude/Cld2LanguageRecognizer.hpp"

#include <cld2/public/compact_lang_det.h>
#include <cld2/public/encodings.h>

namespace CLD2 {
// Declared by the library's internal language table header.
const char* LanguageCode(Language lang);
}

namespace ostrelvirorez {

std::optional<LanguageHypothesis> Cld2LanguageRecognizer::dominantLanguage(std::string_view text) const {
    CLD2::Language languages[3];
    int percents[3] = {0, 0, 0};
    double scores[3] = {0, 0, 0};
    int textBytes = 0;
    bool reliable = false;
    int validPrefixBytes = 0;
    const CLD2::CLDHints hints{nullptr, "", CLD2::UNKNOWN_ENCODING, CLD2::UNKNOWN_LANGUAGE};
    const CLD2::Language language = CLD2::ExtDetectLanguageSummaryCheckUTF8(
        text.data(), static_cast<int>(text.size()), true, &hints, 0, languages, percents, scores, nullptr,
        &textBytes, &reliable, &validPrefixBytes);
    if (language == CLD2::UNKNOWN_LANGUAGE || language == CLD2::TG_UNKNOWN_LANGUAGE) return std::nullopt;
    const char* code = CLD2::LanguageCode(language);
    if (code == nullptr || *code == '\0') return std::nullopt;
    std::optional<double> probability;
    if (languages[0] == language) probability = percents[0] / 100.0;
    return LanguageHypothesis{code, probability};
}

const Cld2LanguageRecognizer& Cld2LanguageRecognizer::shared() {
    static const Cld2LanguageRecognizer recognizer;
    return recognizer;
}

} // namespace ostrelvirorez
