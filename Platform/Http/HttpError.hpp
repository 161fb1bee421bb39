#pragma once
// Transport failures of an HTTP exchange, sorted so that callers can decide
// whether a retry makes sense. HTTP statuses are replies, never errors.

#include "Platform/Core/Error.hpp"

#include <string>
#include <string_view>

namespace platform {

enum class HttpErrorKind {
    timedOut,
    cannotConnect,
    hostNotFound,
    connectionLost,
    tls,
    cancelled,
    tooManyRedirects,
    replyTooLarge, // the reply passed the request's maxReplyBytes
    other,
};

std::string_view toString(HttpErrorKind kind);

class HttpError : public ErrorOf<HttpErrorKind> {
public:
    // detail is appended to the kind's own text when not empty.
    HttpError(HttpErrorKind kind, std::string_view detail = {});
};

} // namespace platform
