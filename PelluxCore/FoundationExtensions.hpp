#pragma once
// Small general operations on lists, strings, floats and paths used across
// the Whisper package: glob filtering, batching, de-duplication, trimming,
// sentence-boundary search, decimal rounding and absolute paths.

#include <algorithm>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace pelluxcore {

// The strings that match a shell-style pattern (fnmatch without flags: "*" and
// "?" also match "/" and a leading ".", backslash escapes, case counts), in order.
std::vector<std::string> matching(const std::vector<std::string>& strings, const std::string& glob);

// Consecutive slices of `size` elements, the last one holding the remainder.
// A size below 1 counts as 1, so every element still lands in a batch.
template <typename T>
std::vector<std::vector<T>> batched(const std::vector<T>& elements, int size) {
    const std::size_t step = static_cast<std::size_t>(std::max(size, 1));
    std::vector<std::vector<T>> batches;
    for (std::size_t start = 0; start < elements.size(); start += step) {
        const std::size_t end = std::min(start + step, elements.size());
        batches.emplace_back(elements.begin() + static_cast<std::ptrdiff_t>(start),
                             elements.begin() + static_cast<std::ptrdiff_t>(end));
    }
    return batches;
}

// The first occurrence of each value, in place.
template <typename T>
std::vector<T> orderedSet(const std::vector<T>& elements) {
    std::unordered_set<T> seen;
    std::vector<T> result;
    for (const T& element : elements) {
        if (seen.insert(element).second) result.push_back(element);
    }
    return result;
}

// Removes up to `upto` trailing copies of one character (a grapheme cluster,
// compared by canonical equivalence).
std::string trimmingFromEnd(std::string_view text, std::string_view character, int upto);

using TokenEncoder = std::function<std::vector<int>(const std::string& text)>;

// The longest prefix ending at a sentence break, else at a clause break, else
// before the last space, that `encode` turns into at least minTokenCount tokens.
std::optional<std::string> lastNaturalBoundary(std::string_view text, int minTokenCount, const TokenEncoder& encode);

// The value rounded to `places` decimals, halves away from zero, in float.
float rounded(float value, int places);

// Expands a leading tilde and resolves a relative path against the current
// working folder.
std::string resolveAbsolutePath(std::string_view path);

} // namespace pelluxcore
