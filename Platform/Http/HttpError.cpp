#include "Platform/Http/HttpError.hpp"

namespace platform {
namespace {

std::string describe(HttpErrorKind kind, std::string_view detail)
{
    std::string text(toString(kind));
    if (!detail.empty()) {
        text += ": ";
        text += detail;
    }
    return text;
}

} // namespace

std::string_view toString(HttpErrorKind kind)
{
    switch (kind) {
    case HttpErrorKind::timedOut: return "timed out";
    case HttpErrorKind::cannotConnect: return "cannot connect to host";
    case HttpErrorKind::hostNotFound: return "host not found";
    case HttpErrorKind::connectionLost: return "connection lost";
    case HttpErrorKind::tls: return "secure connection failed";
    case HttpErrorKind::cancelled: return "cancelled";
    case HttpErrorKind::tooManyRedirects: return "too many redirects";
    case HttpErrorKind::replyTooLarge: return "reply too large";
    case HttpErrorKind::other: break;
    }
    return "transfer failed";
}

HttpError::HttpError(HttpErrorKind kind, std::string_view detail)
    : ErrorOf<HttpErrorKind>(kind, describe(kind, detail))
{
}

} // namespace platform
