#pragma once
// The failures of a feedback upload that the service detects itself; the
// description is what the feedback form shows.

#include "Platform/Core/Error.hpp"

#include <string>

namespace ostrelvirorez {

enum class FeedbackErrorKind { httpError, invalidURL, invalidResponse };

class FeedbackError : public platform::ErrorOf<FeedbackErrorKind> {
public:
    // "HTTP <status>: " and the first 200 characters of the reply's body.
    static FeedbackError httpError(int statusCode, std::string body);
    static FeedbackError invalidURL();
    static FeedbackError invalidResponse();

    // For httpError: the status code and the whole body.
    int statusCode() const { return statusCode_; }
    const std::string& body() const { return body_; }

private:
    FeedbackError(FeedbackErrorKind kind, const std::string& description, int statusCode = 0, std::string body = {});

    int statusCode_;
    std::string body_;
};

} // namespace ostrelvirorez
