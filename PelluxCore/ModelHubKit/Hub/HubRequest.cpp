#include "PelluxCore/ModelHubKit/Hub/HubRequest.hpp"

#include "PelluxCore/ModelHubKit/Hub/HubError.hpp"

#include <algorithm>

namespace modelhubkit {

platform::HttpRequest hubRequest(std::string method, std::string url, const std::optional<std::string>& token)
{
    platform::HttpRequest request;
    request.method = std::move(method);
    request.url = std::move(url);
    if (token && !token->empty()) {
        const bool hasControl =
            std::ranges::any_of(*token, [](unsigned char c) { return c < 0x20 || c == 0x7F; });
        if (hasControl)
            throw HubError(HubErrorKind::unauthorized, "The access token holds control characters and was not sent");
        request.headers.set("Authorization", "Bearer " + *token);
    }
    return request;
}

void checkStatus(const platform::HttpResponse& response, std::string_view url)
{
    const int status = response.status;
    if (status >= 200 && status < 300)
        return;
    const std::string where = " (" + std::to_string(status) + " for " + std::string(url) + ")";
    if (status == 401 || status == 403)
        throw HubError(HubErrorKind::unauthorized, "The hub refused access; check the access token" + where);
    if (status == 404)
        throw HubError(HubErrorKind::notFound, "The repository, revision or file does not exist on the hub" + where);
    throw HubError(HubErrorKind::httpStatus, "The hub could not answer" + where);
}

} // namespace modelhubkit
