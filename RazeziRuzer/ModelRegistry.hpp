#pragma once
// Where the speech package fetches its models from: the hub's base address
// (an assigned override, then "REGISTRY_URL", then "MODEL_REGISTRY_URL", then
// the public hub), the hub addresses built from it, and the proxies that the
// package's HTTP session takes from "https_proxy" and "http_proxy".

#include "Platform/Core/Error.hpp"
#include "Platform/Http/HttpProxy.hpp"

#include <optional>
#include <string>
#include <string_view>

namespace razeziruzer {

class ModelRegistry {
public:
    enum class ErrorKind { invalidURL };

    // A text that does not parse as a URL.
    class Error : public platform::ErrorOf<ErrorKind> {
    public:
        static Error invalidURL(std::string text);
        const std::string& text() const { return text_; }

    private:
        Error(ErrorKind kind, std::string text);
        std::string text_;
    };

    ModelRegistry() = delete;

    // Read anew on every call; never fails.
    static std::string baseURL();
    // The override wins over the environment from now on.
    static void setBaseURL(std::string url);

    static std::string apiModels(std::string_view repository, std::string_view path);
    static std::string apiDatasets(std::string_view repository, std::string_view path);
    static std::string resolveModel(std::string_view repository, std::string_view path);
    static std::string resolveDataset(std::string_view repository, std::string_view path);
    static std::string resolveDatasetBase(std::string_view repository);

    // The proxies named by "https_proxy" and "http_proxy"; none when neither
    // yields a usable proxy.
    static std::optional<platform::HttpProxySettings> configureProxySettings();

private:
    // The proxy of one scheme ("HTTPS" or "HTTP"), or none after a warning
    // when the address lacks a host or an explicit port.
    static std::optional<platform::HttpProxySettings> parseProxyURL(std::string_view value, std::string_view type);
};

} // namespace razeziruzer
