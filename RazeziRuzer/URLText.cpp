#include "RazeziRuzer/URLText.hpp"

#include <curl/curl.h>

#include <cstdlib>
#include <memory>

namespace razeziruzer::URLText {
namespace {

struct URLHandleDeleter {
    void operator()(CURLU* handle) const { curl_url_cleanup(handle); }
};
using URLHandle = std::unique_ptr<CURLU, URLHandleDeleter>;

struct CurlTextDeleter {
    void operator()(char* text) const { curl_free(text); }
};
using CurlText = std::unique_ptr<char, CurlTextDeleter>;

std::optional<std::string> part(CURLU* handle, CURLUPart which) {
    char* raw = nullptr;
    if (curl_url_get(handle, which, &raw, 0) != CURLUE_OK || raw == nullptr) return std::nullopt;
    const CurlText owned(raw);
    return std::string(owned.get());
}

bool allowedInPath(unsigned char c) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
    return std::string_view("!$&'()*+,-./:;=@_~").find(static_cast<char>(c)) != std::string_view::npos;
}

} // namespace

std::optional<URLParts> parse(std::string_view text) {
    if (text.find('\0') != std::string_view::npos) return std::nullopt;
    const URLHandle handle(curl_url());
    if (!handle) return std::nullopt;
    const std::string copy(text);
    if (curl_url_set(handle.get(), CURLUPART_URL, copy.c_str(), CURLU_NON_SUPPORT_SCHEME) != CURLUE_OK) {
        return std::nullopt;
    }
    URLParts parts;
    parts.host = part(handle.get(), CURLUPART_HOST).value_or("");
    if (const auto port = part(handle.get(), CURLUPART_PORT)) {
        const long value = std::strtol(port->c_str(), nullptr, 10);
        if (value > 0 && value <= 65535) parts.port = static_cast<std::uint16_t>(value);
    }
    return parts;
}

std::string percentEncodedPath(std::string_view path) {
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(path.size());
    for (const char ch : path) {
        const auto c = static_cast<unsigned char>(ch);
        if (allowedInPath(c)) {
            encoded.push_back(ch);
        } else {
            encoded.push_back('%');
            encoded.push_back(hex[c >> 4]);
            encoded.push_back(hex[c & 0x0F]);
        }
    }
    return encoded;
}

} // namespace razeziruzer::URLText
