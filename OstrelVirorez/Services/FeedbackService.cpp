#include "OstrelVirorez/Services/FeedbackService.hpp"

#include "OstrelVirorez/Services/BundleVersion.hpp"
#include "OstrelVirorez/Services/FeedbackError.hpp"
#include "OstrelVirorez/Services/OperatingSystemVersion.hpp"
#include "Platform/Core/BoundedJson.hpp"
#include "Platform/Files/Uuid.hpp"
#include "Platform/Http/HttpClient.hpp"
#include "Platform/Text/Utf8.hpp"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>

namespace ostrelvirorez {

namespace {

constexpr std::uint64_t feedbackReplyByteLimit = std::uint64_t{1} << 20;

std::string lowercased(std::string_view text) {
    std::string result(text);
    std::ranges::transform(result, result.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return result;
}

// An absolute http or https address with a host and no blanks, controls or
// non-ASCII bytes in it.
bool isValidEndpoint(std::string_view url) {
    const bool clean = std::ranges::all_of(url, [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte > 0x20 && byte < 0x7F;
    });
    if (!clean) return false;
    const auto schemeEnd = url.find("://");
    if (schemeEnd == std::string_view::npos) return false;
    const auto scheme = lowercased(url.substr(0, schemeEnd));
    if (scheme != "http" && scheme != "https") return false;
    auto authority = url.substr(schemeEnd + 3);
    authority = authority.substr(0, authority.find_first_of("/?#"));
    if (const auto at = authority.rfind('@'); at != std::string_view::npos) authority.remove_prefix(at + 1);
    if (authority.empty()) return false;
    const auto host = authority.front() == '[' ? authority.substr(0, authority.find(']') + 1)
                                               : authority.substr(0, authority.find(':'));
    return !host.empty();
}

platform::HttpRequest makeRequest(const std::string& url, const FeedbackPayload& payload) {
    platform::HttpRequest request;
    request.method = "POST";
    request.url = url;
    request.timeout = std::chrono::seconds(60);
    // The server answers with a small record; anything longer is not its answer.
    request.maxReplyBytes = feedbackReplyByteLimit;
    if (payload.screenshotPNG) {
        const auto boundary = "----ODFeedback-" + platform::Uuid().toString();
        request.headers.set("Content-Type", "multipart/form-data; boundary=" + boundary);
        request.body = feedbackMultipartBody(payload, boundary);
    } else {
        request.headers.set("Content-Type", "application/json");
        request.body = feedbackJSONBody(payload);
    }
    return request;
}

} // namespace

FeedbackService::FeedbackService(std::string endpoint)
    : FeedbackService(std::move(endpoint), platform::HttpClient::shared()) {}

FeedbackService::FeedbackService(std::string endpoint, platform::HttpTransport& transport)
    : endpoint_(std::move(endpoint)), transport_(transport) {}

const FeedbackService& FeedbackService::shared() {
    static const FeedbackService service([] {
        const char* endpoint = std::getenv("OSTREL_FEEDBACK_ENDPOINT");
        return std::string(endpoint != nullptr ? endpoint : "");
    }());
    return service;
}

std::string FeedbackService::send(const Payload& payload, std::stop_token stop) const {
    if (!isValidEndpoint(endpoint_)) throw FeedbackError::invalidURL();
    const auto response = transport_.send(makeRequest(endpoint_, payload), std::move(stop));
    if (response.status <= 0) throw FeedbackError::invalidResponse();
    if (response.status < 200 || response.status > 299) {
        throw FeedbackError::httpError(response.status,
                                       platform::text::isValidUtf8(response.body) ? response.body : std::string());
    }
    const auto reply = platform::parseBoundedJson(response.body);
    if (!reply.is_object()) throw FeedbackError::invalidResponse();
    const auto id = reply.find("id");
    if (id == reply.end() || !id->is_string()) throw FeedbackError::invalidResponse();
    return id->get<std::string>();
}

std::string FeedbackService::appVersion() {
    return BundleVersion::current().text();
}

std::string FeedbackService::osVersion() {
    return currentOperatingSystemVersionText();
}

} // namespace ostrelvirorez
