#include "OstrelVirorez/Services/FeedbackPayload.hpp"

#include <nlohmann/json.hpp>

#include <array>
#include <utility>

namespace ostrelvirorez {

namespace {

std::array<std::pair<const char*, const std::string*>, 6> textFields(const FeedbackPayload& payload) {
    return {{{"text", &payload.text},
             {"user_name", &payload.userName},
             {"app_version", &payload.appVersion},
             {"os_version", &payload.osVersion},
             {"app_module", &payload.appModule},
             {"diagnose", &payload.diagnose}}};
}

} // namespace

std::string feedbackJSONBody(const FeedbackPayload& payload) {
    nlohmann::ordered_json object = nlohmann::ordered_json::object();
    for (const auto& [name, value] : textFields(payload)) object[name] = *value;
    return object.dump();
}

std::string feedbackMultipartBody(const FeedbackPayload& payload, const std::string& boundary) {
    const std::string lineEnd = "\r\n";
    std::string body;
    for (const auto& [name, value] : textFields(payload)) {
        body += "--" + boundary + lineEnd;
        body += "Content-Disposition: form-data; name=\"" + std::string(name) + "\"" + lineEnd + lineEnd;
        body += *value + lineEnd;
    }
    body += "--" + boundary + lineEnd;
    body += "Content-Disposition: form-data; name=\"screenshot\"; filename=\"feedback.png\"" + lineEnd;
    body += "Content-Type: image/png" + lineEnd + lineEnd;
    if (payload.screenshotPNG) body.append(payload.screenshotPNG->begin(), payload.screenshotPNG->end());
    body += lineEnd;
    body += "--" + boundary + "--" + lineEnd;
    return body;
}

} // namespace ostrelvirorez
