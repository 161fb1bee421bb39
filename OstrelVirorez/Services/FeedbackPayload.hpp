#pragma once
// What one feedback upload carries, and its two wire forms: a compact JSON
// object of the six text fields, or, with a screenshot, a multipart form of
// the six fields followed by the PNG.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ostrelvirorez {

struct FeedbackPayload {
    std::string text;
    std::string userName;
    std::string appVersion;
    std::string osVersion;
    std::string appModule;
    std::string diagnose;
    // A PNG image; its presence makes the upload a multipart form.
    std::optional<std::vector<std::uint8_t>> screenshotPNG;
};

// {"text", "user_name", "app_version", "os_version", "app_module",
// "diagnose"} as one compact JSON object. Throws the JSON library's error for
// text that is not UTF-8.
std::string feedbackJSONBody(const FeedbackPayload& payload);

// The multipart form separated by `boundary`; the screenshot part is named
// "screenshot" with the file name "feedback.png".
std::string feedbackMultipartBody(const FeedbackPayload& payload, const std::string& boundary);

} // namespace ostrelvirorez
