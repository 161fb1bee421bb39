#pragma once
// One HTTP request: method, address, header fields, body, and the time-outs
// and proxies that override the client's configuration for this request.

#include "Platform/Http/HttpHeaders.hpp"
#include "Platform/Http/HttpProxy.hpp"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace platform {

struct HttpRequest {
    std::string method = "GET";
    std::string url;
    HttpHeaders headers;
    std::string body;
    // The whole exchange, from connecting to the last byte of the reply.
    std::optional<std::chrono::milliseconds> timeout;
    std::optional<std::chrono::milliseconds> connectTimeout;
    // How long the transfer may go without receiving a byte; whole seconds,
    // at least one. Suits large downloads that may take long but must not stall.
    std::optional<std::chrono::seconds> idleTimeout;
    std::optional<HttpProxySettings> proxies;
    // The largest reply body taken, in bytes; a longer reply ends the transfer
    // with HttpError (replyTooLarge) as soon as it passes the cap. None: no cap.
    std::optional<std::uint64_t> maxReplyBytes;
};

} // namespace platform
