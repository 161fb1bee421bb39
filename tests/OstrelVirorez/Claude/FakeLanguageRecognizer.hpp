#pragma once
// A language recogniser that gives a fixed answer and remembers what it was asked.

#include "OstrelVirorez/Claude/LanguageRecognizer.hpp"

#include <vector>

namespace testsupport {

class FakeLanguageRecognizer : public ostrelvirorez::LanguageRecognizer {
public:
    std::optional<ostrelvirorez::LanguageHypothesis> answer;
    mutable std::vector<std::string> asked;

    std::optional<ostrelvirorez::LanguageHypothesis> dominantLanguage(std::string_view text) const override {
        asked.emplace_back(text);
        return answer;
    }
};

} // namespace testsupport
