#pragma once
// A compiled regular expression with ICU's pattern syntax over UTF-8 text.
// Match and group ranges are byte ranges into the text searched. A compiled
// Regex is immutable; its const operations may run on several threads at once.

#include "Platform/Core/Error.hpp"
#include "Platform/Text/ByteRange.hpp"

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class RegexError : public Error {
public:
    using Error::Error;
};

struct RegexOptions {
    bool caseInsensitive = false;
    bool anchorsMatchLines = false;        // ^ and $ match at every line
    bool dotMatchesLineSeparators = false; // . also matches line breaks
};

struct RegexGroup {
    text::ByteRange range;
    std::string text;

    bool operator==(const RegexGroup&) const = default;
};

struct RegexMatch {
    // groups[0] is the whole match, groups[i] capture group i; a group that
    // took no part in the match is absent.
    std::vector<std::optional<RegexGroup>> groups;

    const text::ByteRange& range() const { return groups.front()->range; }
    const std::string& text() const { return groups.front()->text; }
};

class Regex {
public:
    // Throws RegexError with ICU's reason when the pattern does not compile.
    explicit Regex(std::string_view pattern, RegexOptions options = {});
    ~Regex();
    Regex(Regex&&) noexcept;
    Regex& operator=(Regex&&) noexcept;

    const std::string& pattern() const noexcept { return pattern_; }
    std::size_t groupCount() const;

    // The first match starting at or after byte `fromByte`.
    std::optional<RegexMatch> firstMatch(std::string_view text, std::size_t fromByte = 0) const;
    // Every match, left to right, without overlaps.
    std::vector<RegexMatch> allMatches(std::string_view text) const;
    // True when the whole text matches.
    bool matches(std::string_view text) const;

    // Replaces every match by the template, where "$1" or "${name}" insert a
    // group and "\$" a dollar sign. Throws RegexError on a bad template.
    // Ill-formed UTF-8 in the text comes back as U+FFFD.
    std::string replaceAll(std::string_view text, std::string_view replacementTemplate) const;
    // Replaces every match by what the function returns for it; the text
    // between matches is kept byte for byte.
    std::string replace(std::string_view text, const std::function<std::string(const RegexMatch&)>& replacement) const;

private:
    struct Compiled;
    std::string pattern_;
    std::unique_ptr<Compiled> compiled_;
};

} // namespace platform
