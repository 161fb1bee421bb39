#include "OstrelVirorez/Claude/ClaudeError.hpp"

#include <utility>

namespace ostrelvirorez {

ClaudeError::ClaudeError(ClaudeErrorKind kind, const std::string& description, int statusCode, std::string message)
    : ErrorOf(kind, description), statusCode_(statusCode), message_(std::move(message)) {}

ClaudeError ClaudeError::apiError(int statusCode, std::string message) {
    const auto description = "Claude API error (" + std::to_string(statusCode) + "): " + message;
    return ClaudeError(ClaudeErrorKind::apiError, description, statusCode, std::move(message));
}

ClaudeError ClaudeError::noAPIKey() {
    return ClaudeError(ClaudeErrorKind::noAPIKey, "No Claude API Key configured");
}

ClaudeError ClaudeError::invalidURL() {
    return ClaudeError(ClaudeErrorKind::invalidURL, "Invalid API URL");
}

ClaudeError ClaudeError::invalidResponse() {
    return ClaudeError(ClaudeErrorKind::invalidResponse, "Invalid server response");
}

ClaudeError ClaudeError::parseError() {
    return ClaudeError(ClaudeErrorKind::parseError, "Could not parse response");
}

} // namespace ostrelvirorez
