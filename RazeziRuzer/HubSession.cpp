#include "RazeziRuzer/HubSession.hpp"

#include "Platform/Concurrency/ThreadSleeper.hpp"
#include "RazeziRuzer/ModelRegistry.hpp"

#include <utility>

namespace razeziruzer::DownloadUtils {

HubSession::HubSession(platform::HttpClientConfiguration configuration) : client_(std::move(configuration)) {}

platform::HttpResponse HubSession::send(const platform::HttpRequest& request, std::stop_token stop) {
    return client_.send(request, std::move(stop));
}

platform::HttpDownload HubSession::download(const platform::HttpRequest& request,
                                            const platform::HttpDownloadOptions& options, std::stop_token stop) {
    return client_.download(request, options, std::move(stop));
}

platform::Sleeper& HubSession::sleeper() const {
    if (auto* injected = sleeper_.load()) return *injected;
    return platform::ThreadSleeper::shared();
}

void HubSession::setSleeper(platform::Sleeper* sleeper) {
    sleeper_.store(sleeper);
}

HubSession& sharedSession() {
    static HubSession session([] {
        platform::HttpClientConfiguration configuration;
        if (auto proxies = ModelRegistry::configureProxySettings()) configuration.proxies = std::move(*proxies);
        return configuration;
    }());
    return session;
}

} // namespace razeziruzer::DownloadUtils
