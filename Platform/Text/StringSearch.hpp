#pragma once
// Unicode-aware search of a needle in UTF-8 text, without locale tailoring.
// Canonically equivalent forms always match ("é" finds "e" + U+0301 and the
// reverse); letter case and diacritics count unless the options say otherwise.
// A match covers whole characters. Ranges are byte ranges into the original
// haystack, exact even when the haystack is not in NFC.

#include "Platform/Text/ByteRange.hpp"

#include <cstddef>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace platform::text {

struct SearchOptions {
    bool caseInsensitive = false;
    bool diacriticInsensitive = false;
};

// Repeated searches of one needle in one haystack, converted once. The
// haystack is copied; the object is not for concurrent use.
class StringSearch {
public:
    StringSearch(std::string_view haystack, std::string_view needle, SearchOptions options = {});
    ~StringSearch();
    StringSearch(const StringSearch&) = delete;
    StringSearch& operator=(const StringSearch&) = delete;

    // The first match that starts at or after `byteOffset`. An empty needle
    // never matches.
    std::optional<ByteRange> find(std::size_t byteOffset = 0);

private:
    struct State;
    std::unique_ptr<State> state_;
};

std::optional<ByteRange> findFirst(std::string_view haystack, std::string_view needle, SearchOptions options = {},
                                   std::size_t fromByte = 0);
// Every match, left to right, none overlapping the one before.
std::vector<ByteRange> findAll(std::string_view haystack, std::string_view needle, SearchOptions options = {});
bool contains(std::string_view haystack, std::string_view needle, SearchOptions options = {});

} // namespace platform::text
