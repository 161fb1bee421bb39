#include "OstrelVirorez/Services/FeedbackError.hpp"

#include "Platform/Text/Characters.hpp"

namespace ostrelvirorez {

FeedbackError::FeedbackError(FeedbackErrorKind kind, const std::string& description, int statusCode, std::string body)
    : ErrorOf(kind, description), statusCode_(statusCode), body_(std::move(body)) {}

FeedbackError FeedbackError::httpError(int statusCode, std::string body) {
    const auto description = "HTTP " + std::to_string(statusCode) + ": " + platform::text::prefix(body, 200);
    return FeedbackError(FeedbackErrorKind::httpError, description, statusCode, std::move(body));
}

FeedbackError FeedbackError::invalidURL() {
    return FeedbackError(FeedbackErrorKind::invalidURL, "Ung\u00fcltige Feedback-URL");
}

FeedbackError FeedbackError::invalidResponse() {
    return FeedbackError(FeedbackErrorKind::invalidResponse, "Ung\u00fcltige Antwort vom Feedback-Server");
}

} // namespace ostrelvirorez
