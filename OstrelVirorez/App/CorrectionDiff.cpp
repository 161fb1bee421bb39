#include "OstrelVirorez/App/CorrectionDiff.hpp"

#include "OstrelVirorez/App/CleanupCharacters.hpp"
#include "Platform/Text/CaseMapping.hpp"
#include "Platform/Text/Characters.hpp"
#include "Platform/Text/Normalization.hpp"

#include <utility>
#include <vector>

namespace ostrelvirorez {

namespace {

std::vector<std::string> tokenize(std::string_view text) {
    std::vector<std::string> tokens;
    std::string token;
    for (const auto& character : platform::text::characters(text)) {
        if (isWhiteSpaceCharacter(character) || isLineBreakCharacter(character)) {
            if (!token.empty()) tokens.push_back(std::exchange(token, {}));
        } else {
            token += character;
        }
    }
    if (!token.empty()) tokens.push_back(std::move(token));
    return tokens;
}

std::string strip(std::string_view token) {
    const auto characters = platform::text::characters(token);
    std::size_t begin = 0;
    std::size_t end = characters.size();
    while (begin < end && CorrectionDiff::strippable().contains(characters[begin])) ++begin;
    while (end > begin && CorrectionDiff::strippable().contains(characters[end - 1])) --end;
    std::string result;
    for (std::size_t i = begin; i < end; ++i) result += characters[i];
    return result;
}

// Text that differs only in its Unicode encoding counts as unchanged.
bool same(std::string_view a, std::string_view b) { return a == b || platform::text::isCanonicallyEquivalent(a, b); }

} // namespace

const std::set<std::string, std::less<>>& CorrectionDiff::strippable() {
    static const std::set<std::string, std::less<>> characters{
        ",", ".", "!", "?", ":", ";", "(", ")", "[", "]", "{", "}", "\"", "'",
        "\u201E", "\u201D", "\u201C", "/", "-", "\u2014"};
    return characters;
}

std::optional<CorrectionDiff::Correction> CorrectionDiff::extractSingleWordCorrection(std::string_view baseline,
                                                                                      std::string_view edited) {
    if (same(baseline, edited)) return std::nullopt;
    const auto before = tokenize(baseline);
    const auto after = tokenize(edited);
    if (before.empty() || before.size() != after.size()) return std::nullopt;

    std::optional<std::size_t> changed;
    for (std::size_t i = 0; i < before.size(); ++i) {
        if (same(before[i], after[i])) continue;
        if (changed) return std::nullopt;
        changed = i;
    }
    if (!changed) return std::nullopt;

    auto oldWord = strip(before[*changed]);
    auto newWord = strip(after[*changed]);
    if (oldWord.empty() || newWord.empty() || same(oldWord, newWord)) return std::nullopt;
    if (same(platform::text::lowercased(oldWord), platform::text::lowercased(newWord))) return std::nullopt;
    return Correction{std::move(oldWord), std::move(newWord)};
}

} // namespace ostrelvirorez
