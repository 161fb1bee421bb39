#include "PelluxCore/ModelHubKit/Hub/FileFetcher.hpp"

#include "PelluxCore/ModelHubKit/Hub/HubError.hpp"
#include "PelluxCore/ModelHubKit/Hub/HubRequest.hpp"

#include <charconv>

namespace modelhubkit {
namespace {

namespace fs = std::filesystem;

// A hub that redirects to a storage host announces the file's own tag and
// size in the linked fields; otherwise the plain ones describe the file.
std::string entityTag(const platform::HttpHeaders& headers)
{
    auto tag = headers.value("X-Linked-Etag").value_or(headers.value("ETag").value_or(""));
    if (tag.starts_with("W/"))
        tag.erase(0, 2);
    if (tag.size() >= 2 && tag.front() == '"' && tag.back() == '"')
        tag = tag.substr(1, tag.size() - 2);
    return tag;
}

std::optional<std::uint64_t> announcedSize(const platform::HttpHeaders& headers)
{
    const auto text = headers.value("X-Linked-Size").value_or(headers.value("Content-Length").value_or(""));
    std::uint64_t size = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), size);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return size;
}

} // namespace

FileFetcher::FileFetcher(platform::HttpTransport& transport, const LocalRepoFolder& folder)
    : transport_(transport), folder_(folder)
{
}

FetchOutcome FileFetcher::fetch(const FileFetch& file, const ByteProgress& onBytes, std::stop_token stop) const
{
    if (isUnchanged(file, stop))
        return FetchOutcome::upToDate;
    download(file, onBytes, stop);
    return FetchOutcome::downloaded;
}

bool FileFetcher::isUnchanged(const FileFetch& file, std::stop_token stop) const
{
    const auto recorded = folder_.metadata(file.relativePath);
    const auto stored = folder_.storedSize(file.relativePath);
    if (!recorded || !stored || *stored != recorded->size)
        return false;
    if (!file.commitHash.empty() && recorded->commitHash == file.commitHash)
        return true;
    const auto response = transport_.send(hubRequest("HEAD", file.url, file.token), stop);
    checkStatus(response, file.url);
    const auto tag = entityTag(response.headers);
    const auto size = announcedSize(response.headers);
    if (tag.empty() || tag != recorded->etag || (size && *size != recorded->size))
        return false;
    folder_.saveMetadata(file.relativePath, FileMetadata{file.commitHash, tag, recorded->size});
    return true;
}

void FileFetcher::download(const FileFetch& file, const ByteProgress& onBytes, std::stop_token stop) const
{
    const fs::path destination = folder_.root() / file.relativePath;
    fs::create_directories(folder_.temporaryFolder());
    platform::HttpDownloadOptions options;
    options.destination = destination;
    options.temporaryFolder = folder_.temporaryFolder();
    if (onBytes) {
        options.onProgress = [&onBytes](std::int64_t written, std::optional<std::int64_t> expected) {
            if (expected && *expected > 0)
                onBytes(static_cast<double>(written) / static_cast<double>(*expected));
        };
    }
    // The temporary file goes away with `result` on every early exit.
    auto result = transport_.download(hubRequest("GET", file.url, file.token), options, stop);
    checkStatus(result.response, file.url);
    const auto received = fs::file_size(result.file.path());
    const auto expected = announcedSize(result.response.headers);
    if (expected && *expected != received)
        throw HubError(HubErrorKind::incompleteDownload,
                       "Received " + std::to_string(received) + " of " + std::to_string(*expected) + " bytes of " +
                           file.relativePath.generic_string());
    fs::create_directories(destination.parent_path());
    result.file.moveTo(destination);
    const FileMetadata record{file.commitHash, entityTag(result.response.headers), received};
    folder_.saveMetadata(file.relativePath, record);
}

} // namespace modelhubkit
