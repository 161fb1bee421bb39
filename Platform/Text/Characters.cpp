#include "Platform/Text/Characters.hpp"

#include "Platform/Text/GraphemeIterator.hpp"

#include <algorithm>

namespace platform::text {

using detail::GraphemeIterator;

std::vector<ByteRange> characterRanges(std::string_view text)
{
    std::vector<ByteRange> ranges;
    if (text.empty())
        return ranges;
    GraphemeIterator breaks(text);
    std::size_t begin = breaks.first();
    for (std::size_t end = breaks.next(); end != GraphemeIterator::done; end = breaks.next()) {
        ranges.push_back({begin, end});
        begin = end;
    }
    return ranges;
}

std::vector<std::string> characters(std::string_view text)
{
    std::vector<std::string> result;
    for (const auto& range : characterRanges(text))
        result.emplace_back(range.of(text));
    return result;
}

std::size_t characterCount(std::string_view text)
{
    if (text.empty())
        return 0;
    GraphemeIterator breaks(text);
    std::size_t count = 0;
    breaks.first();
    while (breaks.next() != GraphemeIterator::done)
        ++count;
    return count;
}

namespace {

// Byte offset after the first `count` characters (text.size() when shorter).
std::size_t offsetAfterCharacters(std::string_view text, std::size_t count)
{
    if (text.empty() || count == 0)
        return 0;
    GraphemeIterator breaks(text);
    std::size_t offset = breaks.first();
    for (std::size_t i = 0; i < count; ++i) {
        const auto next = breaks.next();
        if (next == GraphemeIterator::done)
            break;
        offset = next;
    }
    return offset;
}

// Byte offset before the last `count` characters (0 when shorter).
std::size_t offsetBeforeLastCharacters(std::string_view text, std::size_t count)
{
    if (text.empty() || count == 0)
        return text.size();
    GraphemeIterator breaks(text);
    std::size_t offset = breaks.last();
    for (std::size_t i = 0; i < count; ++i) {
        const auto previous = breaks.previous();
        if (previous == GraphemeIterator::done)
            break;
        offset = previous;
    }
    return offset;
}

} // namespace

std::string prefix(std::string_view text, std::size_t count)
{
    return std::string(text.substr(0, offsetAfterCharacters(text, count)));
}

std::string suffix(std::string_view text, std::size_t count)
{
    return std::string(text.substr(offsetBeforeLastCharacters(text, count)));
}

std::string substring(std::string_view text, std::size_t start, std::size_t count)
{
    const auto rest = text.substr(offsetAfterCharacters(text, start));
    return prefix(rest, count);
}

std::size_t nextCharacterBoundary(std::string_view text, std::size_t byteOffset)
{
    if (byteOffset >= text.size())
        return text.size();
    GraphemeIterator breaks(text);
    const auto next = breaks.following(byteOffset);
    return next == GraphemeIterator::done ? text.size() : next;
}

std::size_t previousCharacterBoundary(std::string_view text, std::size_t byteOffset)
{
    if (byteOffset == 0 || text.empty())
        return 0;
    GraphemeIterator breaks(text);
    const auto previous = breaks.preceding(std::min(byteOffset, text.size()));
    return previous == GraphemeIterator::done ? 0 : previous;
}

std::optional<std::string> characterBefore(std::string_view text, std::size_t byteOffset)
{
    const auto end = std::min(byteOffset, text.size());
    if (end == 0)
        return std::nullopt;
    const auto begin = previousCharacterBoundary(text, end);
    return std::string(text.substr(begin, end - begin));
}

std::optional<std::string> characterAfter(std::string_view text, std::size_t byteOffset)
{
    if (byteOffset >= text.size())
        return std::nullopt;
    const auto end = nextCharacterBoundary(text, byteOffset);
    return std::string(text.substr(byteOffset, end - byteOffset));
}

std::optional<std::string> firstCharacter(std::string_view text)
{
    return characterAfter(text, 0);
}

std::optional<std::string> lastCharacter(std::string_view text)
{
    return characterBefore(text, text.size());
}

} // namespace platform::text
