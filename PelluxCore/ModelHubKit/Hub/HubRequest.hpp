#pragma once
// Building requests to the hub with the client's access token, and turning
// unsuccessful replies into HubError.

#include "Platform/Http/HttpRequest.hpp"
#include "Platform/Http/HttpResponse.hpp"

#include <optional>
#include <string>
#include <string_view>

namespace modelhubkit {

// Adds "Authorization: Bearer <token>" when a non-empty token is given.
// Throws HubError (unauthorized) for a token holding control characters,
// which would otherwise split the header.
platform::HttpRequest hubRequest(std::string method, std::string url, const std::optional<std::string>& token);

// Throws HubError for any status outside 200-299.
void checkStatus(const platform::HttpResponse& response, std::string_view url);

} // namespace modelhubkit
