#pragma once
// Clean-up of a vocabulary term or alias text: line breaks and white space
// other than plain spaces go when the text holds control characters, and
// features that make a term hard to find are reported as warnings.

#include <string>
#include <vector>

namespace razeziruzer {

struct SanitizedTerm {
    std::string sanitized;
    std::vector<std::string> warnings;
};

SanitizedTerm sanitizeVocabularyTerm(const std::string& text);

} // namespace razeziruzer
