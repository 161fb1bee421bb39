#pragma once
// Failures of the hosted-model rewriter, with the texts the user is shown.

#include "Platform/Core/Error.hpp"

#include <string>

namespace ostrelvirorez {

enum class ClaudeErrorKind { apiError, noAPIKey, invalidURL, invalidResponse, parseError };

class ClaudeError : public platform::ErrorOf<ClaudeErrorKind> {
public:
    static ClaudeError apiError(int statusCode, std::string message);
    static ClaudeError noAPIKey();
    static ClaudeError invalidURL();
    static ClaudeError invalidResponse();
    static ClaudeError parseError();

    // The payload of apiError; 0 and empty for the other cases.
    int statusCode() const { return statusCode_; }
    const std::string& message() const { return message_; }

private:
    ClaudeError(ClaudeErrorKind kind, const std::string& description, int statusCode = 0, std::string message = {});

    int statusCode_;
    std::string message_;
};

} // namespace ostrelvirorez
