#pragma once
// A half-open range [begin, end) of byte offsets into a UTF-8 string. Every
// range the text helpers return points into the caller's original string.

#include <cstddef>
#include <string>
#include <string_view>

namespace platform::text {

struct ByteRange {
    std::size_t begin = 0;
    std::size_t end = 0;

    std::size_t size() const noexcept { return end - begin; }
    bool empty() const noexcept { return begin == end; }
    std::string_view of(std::string_view text) const { return text.substr(begin, size()); }

    bool operator==(const ByteRange&) const = default;
};

} // namespace platform::text
