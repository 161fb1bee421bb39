#pragma once
// The small part of URL handling the hub downloads need: telling whether a
// text is a URL, reading a proxy address's host and port, and percent-encoding
// a file path for a download address.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace razeziruzer::URLText {

struct URLParts {
    std::string host;                  // empty when the URL names none
    std::optional<std::uint16_t> port; // only an explicitly written port
};

// None when the text is not an absolute URL.
std::optional<URLParts> parse(std::string_view text);

// Encodes every byte outside the characters a URL path may hold as they are
// ("/" stays); multi-byte characters are encoded byte by byte.
std::string percentEncodedPath(std::string_view path);

} // namespace razeziruzer::URLText
