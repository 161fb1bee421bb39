#pragma once
// Explicit proxies, one per URL scheme. Only these are ever used: proxy
// variables in the process environment are deliberately not consulted.

#include <cstdint>
#include <optional>
#include <string>

namespace platform {

struct HttpProxy {
    std::string host;
    std::uint16_t port = 0;

    bool operator==(const HttpProxy&) const = default;
};

struct HttpProxySettings {
    std::optional<HttpProxy> http;
    std::optional<HttpProxy> https;

    bool operator==(const HttpProxySettings&) const = default;
};

} // namespace platform
