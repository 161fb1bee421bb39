#include "RazeziRuzer/ModelRegistry.hpp"

#include "RazeziRuzer/Shared/AppLogger.hpp"
#include "RazeziRuzer/URLText.hpp"

#include <cstdlib>
#include <mutex>

namespace razeziruzer {
namespace {

constexpr std::string_view publicHubURL = "https://huggingface.co";

struct Override {
    std::mutex mutex;
    std::optional<std::string> url;
};

Override& customBaseURL() {
    static Override value;
    return value;
}

const AppLogger& logger() {
    static const AppLogger instance("ModelRegistry");
    return instance;
}

std::optional<std::string> environmentValue(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr) return std::nullopt;
    return std::string(value);
}

std::string checkedURL(std::string text) {
    if (!URLText::parse(text)) throw ModelRegistry::Error::invalidURL(std::move(text));
    return text;
}

std::string joined(std::initializer_list<std::string_view> pieces) {
    std::string text;
    for (const auto piece : pieces) text += piece;
    return text;
}

} // namespace

ModelRegistry::Error::Error(ErrorKind kind, std::string text)
    : ErrorOf(kind, "Invalid URL construction: " + text), text_(std::move(text)) {}

ModelRegistry::Error ModelRegistry::Error::invalidURL(std::string text) {
    return Error(ErrorKind::invalidURL, std::move(text));
}

std::string ModelRegistry::baseURL() {
    {
        auto& custom = customBaseURL();
        const std::lock_guard lock(custom.mutex);
        if (custom.url) return *custom.url;
    }
    if (auto value = environmentValue("REGISTRY_URL")) return *value;
    if (auto value = environmentValue("MODEL_REGISTRY_URL")) return *value;
    return std::string(publicHubURL);
}

void ModelRegistry::setBaseURL(std::string url) {
    auto& custom = customBaseURL();
    const std::lock_guard lock(custom.mutex);
    custom.url = std::move(url);
}

std::string ModelRegistry::apiModels(std::string_view repository, std::string_view path) {
    return checkedURL(joined({baseURL(), "/api/models/", repository, "/", path}));
}

std::string ModelRegistry::apiDatasets(std::string_view repository, std::string_view path) {
    return checkedURL(joined({baseURL(), "/api/datasets/", repository, "/", path}));
}

std::string ModelRegistry::resolveModel(std::string_view repository, std::string_view path) {
    return checkedURL(joined({baseURL(), "/", repository, "/resolve/main/", path}));
}

std::string ModelRegistry::resolveDataset(std::string_view repository, std::string_view path) {
    return checkedURL(joined({baseURL(), "/datasets/", repository, "/resolve/main/", path}));
}

std::string ModelRegistry::resolveDatasetBase(std::string_view repository) {
    return joined({baseURL(), "/datasets/", repository, "/resolve/main"});
}

std::optional<platform::HttpProxySettings> ModelRegistry::configureProxySettings() {
    platform::HttpProxySettings settings;
    if (const auto value = environmentValue("https_proxy")) {
        if (const auto parsed = parseProxyURL(*value, "HTTPS")) settings.https = parsed->https;
    }
    if (const auto value = environmentValue("http_proxy")) {
        if (const auto parsed = parseProxyURL(*value, "HTTP")) settings.http = parsed->http;
    }
    if (!settings.https && !settings.http) return std::nullopt;
    return settings;
}

std::optional<platform::HttpProxySettings> ModelRegistry::parseProxyURL(std::string_view value,
                                                                         std::string_view type) {
    const auto parts = URLText::parse(value);
    if (!parts || parts->host.empty() || !parts->port) {
        logger().warning("Invalid " + std::string(type) + " proxy URL: " + std::string(value));
        return std::nullopt;
    }
    const platform::HttpProxy proxy{parts->host, *parts->port};
    platform::HttpProxySettings settings;
    if (type == "HTTPS") {
        settings.https = proxy;
    } else if (type == "HTTP") {
        settings.http = proxy;
    } else {
        return std::nullopt;
    }
    logger().info("Configured " + std::string(type) + " proxy: " + proxy.host + ":" + std::to_string(proxy.port));
    return settings;
}

} // namespace razeziruzer
