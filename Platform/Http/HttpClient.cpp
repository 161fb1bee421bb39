#include "Platform/Http/HttpClient.hpp"

#include "Platform/Http/CurlTransfer.hpp"
#include "Platform/Http/HttpError.hpp"

#include <utility>

namespace platform {
namespace {

DownloadedFile createDownloadFile(const HttpDownloadOptions& options)
{
    const auto name = options.destination.filename().string();
    if (options.temporaryFolder)
        return DownloadedFile::create(*options.temporaryFolder, name.empty() ? "download" : name);
    if (name.empty())
        throw HttpError(HttpErrorKind::other, "a download needs a destination file name");
    const auto folder = options.destination.parent_path();
    return DownloadedFile::create(folder.empty() ? std::filesystem::path(".") : folder, name);
}

} // namespace

HttpClient::HttpClient(HttpClientConfiguration configuration) : configuration_(std::move(configuration)) {}

HttpClient& HttpClient::shared()
{
    static HttpClient client;
    return client;
}

HttpResponse HttpClient::send(const HttpRequest& request, std::stop_token stop)
{
    CurlTransfer transfer(request, configuration_, std::move(stop));
    std::string body;
    auto response = transfer.perform([&body](std::string_view chunk) { body.append(chunk); }, nullptr);
    response.body = std::move(body);
    return response;
}

HttpDownload HttpClient::download(const HttpRequest& request, const HttpDownloadOptions& options,
                                  std::stop_token stop)
{
    CurlTransfer transfer(request, configuration_, std::move(stop));
    auto file = createDownloadFile(options);
    auto response = transfer.perform([&file](std::string_view chunk) { file.write(chunk); }, options.onProgress);
    file.close();
    return HttpDownload{std::move(response), std::move(file)};
}

} // namespace platform
