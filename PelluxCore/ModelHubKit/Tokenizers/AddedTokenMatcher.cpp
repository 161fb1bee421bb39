#include "PelluxCore/ModelHubKit/Tokenizers/AddedTokenMatcher.hpp"

#include "PelluxCore/ModelHubKit/Tokenizers/Utf8.hpp"
#include "Platform/Text/UnicodeProperties.hpp"

#include <algorithm>
#include <functional>

namespace modelhubkit {
namespace {

bool isWordScalar(char32_t scalar) {
    return scalar == '_' || platform::text::isLetter(scalar) || platform::text::isDigit(scalar);
}

bool isSpaceByte(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

bool wordBefore(std::string_view text, std::size_t position) {
    if (position == 0) return false;
    std::size_t start = position - 1;
    while (start > 0 && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80) --start;
    return isWordScalar(utf8::nextScalar(text, start));
}

bool wordAfter(std::string_view text, std::size_t position) {
    if (position >= text.size()) return false;
    return isWordScalar(utf8::nextScalar(text, position));
}

} // namespace

void AddedTokenMatcher::add(const AddedToken& token) {
    if (token.content.empty()) return;
    if (!tokens_.emplace(token.content, &token).second) return;
    startsToken_[static_cast<unsigned char>(token.content.front())] = true;
    if (std::find(lengths_.begin(), lengths_.end(), token.content.size()) == lengths_.end()) {
        lengths_.push_back(token.content.size());
        std::sort(lengths_.begin(), lengths_.end(), std::greater<>());
    }
}

const AddedToken* AddedTokenMatcher::longestAt(std::string_view text, std::size_t position) const {
    if (!startsToken_[static_cast<unsigned char>(text[position])]) return nullptr;
    for (const std::size_t length : lengths_) {
        if (length > text.size() - position) continue;
        const auto found = tokens_.find(text.substr(position, length));
        if (found == tokens_.end()) continue;
        const AddedToken* token = found->second;
        if (token->singleWord && (wordBefore(text, position) || wordAfter(text, position + length))) continue;
        return token;
    }
    return nullptr;
}

std::vector<AddedTokenMatcher::Segment> AddedTokenMatcher::split(std::string_view text) const {
    std::vector<Segment> segments;
    std::size_t segmentStart = 0;
    std::size_t position = 0;
    while (position < text.size()) {
        const AddedToken* token = tokens_.empty() ? nullptr : longestAt(text, position);
        if (!token) {
            ++position;
            continue;
        }
        std::size_t begin = position;
        std::size_t end = position + token->content.size();
        if (token->lstrip) {
            while (begin > segmentStart && isSpaceByte(text[begin - 1])) --begin;
        }
        if (token->rstrip) {
            while (end < text.size() && isSpaceByte(text[end])) ++end;
        }
        if (begin > segmentStart) segments.push_back({text.substr(segmentStart, begin - segmentStart), nullptr});
        segments.push_back({text.substr(begin, end - begin), token});
        segmentStart = position = end;
    }
    if (segmentStart < text.size()) segments.push_back({text.substr(segmentStart), nullptr});
    return segments;
}

} // namespace modelhubkit
