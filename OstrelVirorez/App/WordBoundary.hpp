#pragma once
// Whole-word replacement of a phrase: the one matching routine behind every
// word-level clean-up stage. An occurrence counts only when the characters
// on both sides of it are word boundaries. Stateless.

#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>

namespace ostrelvirorez {

class WordBoundary {
public:
    WordBoundary() = delete;

    // Characters that end a word besides white space and line breaks.
    static const std::set<std::string, std::less<>>& punctuation();

    // True for an absent character (start or end of text), white space, a
    // line break, or a character of punctuation().
    static bool isBoundary(const std::optional<std::string>& character);

    // Replaces every whole-word occurrence of `phrase` in `in`, left to right,
    // by a fresh result of `replacementFor`. Matching is canonical-equivalent,
    // case-insensitive unless `caseSensitive`; inserted text is never searched.
    static std::string replace(std::string_view in, std::string_view phrase, bool caseSensitive,
                               const std::function<std::string()>& replacementFor);
    static std::string replace(std::string_view in, std::string_view phrase, std::string_view with,
                               bool caseSensitive);
};

} // namespace ostrelvirorez
