#pragma once
// The HTTP client on libcurl. Every request gets its own connection handle,
// so one client serves any number of threads at once.

#include "Platform/Http/HttpClientConfiguration.hpp"
#include "Platform/Http/HttpTransport.hpp"

namespace platform {

class HttpClient : public HttpTransport {
public:
    explicit HttpClient(HttpClientConfiguration configuration = {});

    // The process's client with the default configuration.
    static HttpClient& shared();

    const HttpClientConfiguration& configuration() const { return configuration_; }

    HttpResponse send(const HttpRequest& request, std::stop_token stop) override;
    HttpDownload download(const HttpRequest& request, const HttpDownloadOptions& options,
                          std::stop_token stop) override;

private:
    HttpClientConfiguration configuration_;
};

} // namespace platform
