#pragma once
// What higher layers send requests through: HttpClient in production, a fake
// of their own in tests that want one. Implementations throw HttpError for
// transport failures and return every HTTP status as a reply.

#include "Platform/Http/DownloadedFile.hpp"
#include "Platform/Http/HttpRequest.hpp"
#include "Platform/Http/HttpResponse.hpp"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <stop_token>

namespace platform {

// Bytes of the reply body written so far, and the total the server announced
// (none when it sent no length, as with a chunked reply). Called on the
// thread running the transfer.
using HttpProgressHandler = std::function<void(std::int64_t bytesWritten, std::optional<std::int64_t> bytesExpected)>;

struct HttpDownloadOptions {
    // Where the caller will move the file; the temporary file is made in the
    // same folder so that the move is a rename.
    std::filesystem::path destination;
    // Makes the temporary file here instead.
    std::optional<std::filesystem::path> temporaryFolder;
    HttpProgressHandler onProgress;
};

struct HttpDownload {
    HttpResponse response;
    DownloadedFile file;
};

class HttpTransport {
public:
    virtual ~HttpTransport() = default;

    virtual HttpResponse send(const HttpRequest& request, std::stop_token stop) = 0;
    // Streams the body of the reply to a temporary file, whatever the status.
    virtual HttpDownload download(const HttpRequest& request, const HttpDownloadOptions& options,
                                  std::stop_token stop) = 0;
};

} // namespace platform
