#pragma once
// Settings shared by every request of one HttpClient; a request may override
// the time-outs and proxies for itself.

#include "Platform/Http/HttpProxy.hpp"

#include <chrono>
#include <optional>

namespace platform {

struct HttpClientConfiguration {
    HttpProxySettings proxies;
    std::chrono::milliseconds connectTimeout = std::chrono::seconds(60);
    // None: no limit on the whole exchange.
    std::optional<std::chrono::milliseconds> timeout;
    long maxRedirects = 20;
};

} // namespace platform
