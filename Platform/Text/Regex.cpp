#include "Platform/Text/Regex.hpp"

#include "Platform/Text/IcuString.hpp"

#include <unicode/regex.h>
#include <unicode/utext.h>

namespace platform {

namespace {

void throwIfFailed(UErrorCode status, std::string_view what)
{
    if (U_FAILURE(status))
        throw RegexError(std::string(what) + ": " + u_errorName(status));
}

uint32_t icuFlags(RegexOptions options)
{
    uint32_t flags = 0;
    if (options.caseInsensitive)
        flags |= UREGEX_CASE_INSENSITIVE;
    if (options.anchorsMatchLines)
        flags |= UREGEX_MULTILINE;
    if (options.dotMatchesLineSeparators)
        flags |= UREGEX_DOTALL;
    return flags;
}

// A matcher over UTF-8 text: ICU reports native indices, which for UTF-8
// text are byte offsets. The text must outlive it.
class Utf8Matcher {
public:
    Utf8Matcher(const icu::RegexPattern& pattern, std::string_view text) : text_(text)
    {
        UErrorCode status = U_ZERO_ERROR;
        utext_.adoptInstead(utext_openUTF8(nullptr, text.data(), static_cast<int64_t>(text.size()), &status));
        throwIfFailed(status, "Cannot open text for matching");
        matcher_.reset(pattern.matcher(status));
        throwIfFailed(status, "Cannot create regular expression matcher");
        matcher_->reset(utext_.getAlias());
    }

    icu::RegexMatcher& matcher() { return *matcher_; }

    RegexMatch currentMatch()
    {
        RegexMatch match;
        UErrorCode status = U_ZERO_ERROR;
        const int32_t count = matcher_->groupCount();
        for (int32_t group = 0; group <= count; ++group) {
            const int64_t start = matcher_->start64(group, status);
            const int64_t end = matcher_->end64(group, status);
            throwIfFailed(status, "Cannot read regular expression group");
            if (start < 0) {
                match.groups.emplace_back();
                continue;
            }
            const text::ByteRange range{static_cast<std::size_t>(start), static_cast<std::size_t>(end)};
            match.groups.push_back(RegexGroup{range, std::string(range.of(text_))});
        }
        return match;
    }

private:
    std::string_view text_;
    icu::LocalUTextPointer utext_;
    std::unique_ptr<icu::RegexMatcher> matcher_;
};

} // namespace

struct Regex::Compiled {
    std::unique_ptr<icu::RegexPattern> pattern;
};

Regex::Regex(std::string_view pattern, RegexOptions options) : pattern_(pattern), compiled_(std::make_unique<Compiled>())
{
    UParseError where{};
    UErrorCode status = U_ZERO_ERROR;
    compiled_->pattern.reset(icu::RegexPattern::compile(text::detail::toUnicode(pattern), icuFlags(options), where, status));
    if (U_FAILURE(status))
        throw RegexError("Invalid regular expression \"" + pattern_ + "\": " + u_errorName(status) + " at offset " +
                         std::to_string(where.offset));
}

Regex::~Regex() = default;
Regex::Regex(Regex&&) noexcept = default;
Regex& Regex::operator=(Regex&&) noexcept = default;

std::size_t Regex::groupCount() const
{
    Utf8Matcher matcher(*compiled_->pattern, {});
    return static_cast<std::size_t>(matcher.matcher().groupCount());
}

std::optional<RegexMatch> Regex::firstMatch(std::string_view text, std::size_t fromByte) const
{
    if (fromByte > text.size())
        return std::nullopt;
    Utf8Matcher matcher(*compiled_->pattern, text);
    UErrorCode status = U_ZERO_ERROR;
    const bool found = matcher.matcher().find(static_cast<int64_t>(fromByte), status);
    throwIfFailed(status, "Regular expression search failed");
    if (!found)
        return std::nullopt;
    return matcher.currentMatch();
}

std::vector<RegexMatch> Regex::allMatches(std::string_view text) const
{
    std::vector<RegexMatch> matches;
    Utf8Matcher matcher(*compiled_->pattern, text);
    UErrorCode status = U_ZERO_ERROR;
    while (matcher.matcher().find(status))
        matches.push_back(matcher.currentMatch());
    throwIfFailed(status, "Regular expression search failed");
    return matches;
}

bool Regex::matches(std::string_view text) const
{
    Utf8Matcher matcher(*compiled_->pattern, text);
    UErrorCode status = U_ZERO_ERROR;
    const bool result = matcher.matcher().matches(status);
    throwIfFailed(status, "Regular expression match failed");
    return result;
}

std::string Regex::replaceAll(std::string_view text, std::string_view replacementTemplate) const
{
    Utf8Matcher matcher(*compiled_->pattern, text);
    UErrorCode status = U_ZERO_ERROR;
    const auto result = matcher.matcher().replaceAll(text::detail::toUnicode(replacementTemplate), status);
    throwIfFailed(status, "Invalid replacement template \"" + std::string(replacementTemplate) + "\"");
    return text::detail::toUtf8(result);
}

std::string Regex::replace(std::string_view text, const std::function<std::string(const RegexMatch&)>& replacement) const
{
    std::string result;
    std::size_t copied = 0;
    for (const auto& match : allMatches(text)) {
        result.append(text.substr(copied, match.range().begin - copied));
        result.append(replacement(match));
        copied = match.range().end;
    }
    result.append(text.substr(copied));
    return result;
}

} // namespace platform
