#pragma once
// Failures of the hub client. Transport failures (no connection, time-out,
// cancellation) are platform::HttpError and pass through unchanged.

#include "Platform/Core/Error.hpp"

#include <string>

namespace modelhubkit {

enum class HubErrorKind {
    // Offline, and the local cache cannot answer.
    offline,
    // The hub wants a (different) access token: 401 or 403.
    unauthorized,
    // The repository, revision or file does not exist: 404.
    notFound,
    // Any other unsuccessful status.
    httpStatus,
    // A reply that is not what the hub sends.
    invalidResponse,
    // A repository identifier or file path that would leave its folder.
    unsafePath,
    // A file whose size differs from what the hub announced.
    incompleteDownload,
};

class HubError : public platform::ErrorOf<HubErrorKind> {
public:
    using ErrorOf::ErrorOf;
};

} // namespace modelhubkit
