#pragma once
// The reply to a request, whatever its status: a 404 or 503 is a reply too.

#include "Platform/Http/HttpHeaders.hpp"

#include <string>

namespace platform {

struct HttpResponse {
    int status = 0;
    HttpHeaders headers;
    // Empty for downloads, whose body is in the downloaded file.
    std::string body;
};

} // namespace platform
