#pragma once
// The speech package's one HTTP session for hub traffic: an HTTP client with
// the model registry's proxies, and the sleeper that times the back-off
// between download attempts (replaceable, so retries can run in virtual time).

#include "Platform/Concurrency/Sleeper.hpp"
#include "Platform/Http/HttpClient.hpp"

#include <atomic>

namespace razeziruzer::DownloadUtils {

class HubSession : public platform::HttpTransport {
public:
    explicit HubSession(platform::HttpClientConfiguration configuration);

    const platform::HttpClientConfiguration& configuration() const { return client_.configuration(); }

    platform::HttpResponse send(const platform::HttpRequest& request, std::stop_token stop) override;
    platform::HttpDownload download(const platform::HttpRequest& request, const platform::HttpDownloadOptions& options,
                                    std::stop_token stop) override;

    platform::Sleeper& sleeper() const;
    // Back-off waits go through sleeper until it is replaced again; null
    // restores real-time waits. The sleeper must outlive its use here.
    void setSleeper(platform::Sleeper* sleeper);

private:
    platform::HttpClient client_;
    std::atomic<platform::Sleeper*> sleeper_{nullptr};
};

// Made on first use with the proxies of ModelRegistry::configureProxySettings().
HubSession& sharedSession();

} // namespace razeziruzer::DownloadUtils
