#pragma once
// Compares the text of a field right after a paste with its text later and
// finds the one word the user changed by hand, if exactly one word changed
// in more than punctuation or letter case. Stateless.

#include <optional>
#include <set>
#include <string>
#include <string_view>

namespace ostrelvirorez {

class CorrectionDiff {
public:
    struct Correction {
        std::string oldWord;
        std::string newWord;
        bool operator==(const Correction&) const = default;
    };

    CorrectionDiff() = delete;

    // Characters stripped from both ends of the changed word.
    static const std::set<std::string, std::less<>>& strippable();

    static std::optional<Correction> extractSingleWordCorrection(std::string_view baseline, std::string_view edited);
};

} // namespace ostrelvirorez
