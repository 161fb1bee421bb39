#include "PelluxCore/ModelHubKit/Hub/HubEnvironment.hpp"

#include "Platform/Files/XdgDirectories.hpp"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string_view>

namespace modelhubkit {
namespace {

namespace fs = std::filesystem;

std::optional<std::string> nonEmptyVariable(const char* name)
{
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0')
        return std::nullopt;
    return std::string(value);
}

std::string trimmed(std::string_view text)
{
    constexpr std::string_view space = " \t\r\n";
    const auto first = text.find_first_not_of(space);
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(space);
    return std::string(text.substr(first, last - first + 1));
}

std::optional<std::string> tokenInFile(const fs::path& path)
{
    std::error_code error;
    if (!fs::is_regular_file(path, error))
        return std::nullopt;
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return std::nullopt;
    std::ostringstream contents;
    contents << file.rdbuf();
    auto token = trimmed(contents.str());
    if (token.empty())
        return std::nullopt;
    return token;
}

std::string withoutTrailingSlashes(std::string text)
{
    while (text.size() > 1 && text.back() == '/')
        text.pop_back();
    return text;
}

} // namespace

fs::path defaultDownloadBase()
{
    return platform::files::documentsDirectory() / "huggingface";
}

std::optional<std::string> resolveHubToken()
{
    for (const char* name : {"HF_TOKEN", "HUGGING_FACE_HUB_TOKEN"}) {
        if (const auto value = nonEmptyVariable(name); value && !trimmed(*value).empty())
            return trimmed(*value);
    }
    if (const auto path = nonEmptyVariable("HF_TOKEN_PATH")) {
        if (auto token = tokenInFile(*path))
            return token;
    }
    if (const auto home = nonEmptyVariable("HF_HOME")) {
        if (auto token = tokenInFile(fs::path(*home) / "token"))
            return token;
    }
    const fs::path home = platform::files::homeDirectory();
    for (const auto& relative : {fs::path(".cache/huggingface/token"), fs::path(".huggingface/token")}) {
        if (auto token = tokenInFile(home / relative))
            return token;
    }
    return std::nullopt;
}

std::string resolveHubEndpoint()
{
    if (auto endpoint = nonEmptyVariable("HF_ENDPOINT"))
        return withoutTrailingSlashes(std::move(*endpoint));
    return publicHubEndpoint;
}

} // namespace modelhubkit
