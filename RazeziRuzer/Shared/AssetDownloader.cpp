#include "RazeziRuzer/Shared/AssetDownloader.hpp"

#include "Platform/Files/FileContents.hpp"
#include "Platform/Files/FileMove.hpp"
#include "RazeziRuzer/DownloadUtils.hpp"
#include "RazeziRuzer/Shared/AppLogger.hpp"

namespace razeziruzer {
namespace {

namespace fs = std::filesystem;

bool itemExists(const fs::path& path) {
    std::error_code error;
    return fs::exists(fs::symlink_status(path, error));
}

bool isSuccess(int status) {
    return status >= 200 && status <= 299;
}

int reportedStatus(int status) {
    return status >= 100 ? status : -1;
}

void refuseWhenOffline(std::string operation) {
    if (DownloadUtils::enforceOffline) throw DownloadUtils::OfflineError::networkDisabled(std::move(operation));
}

platform::HttpRequest plainGet(const std::string& url) {
    platform::HttpRequest request;
    request.url = url;
    return request;
}

} // namespace

AssetDownloader::Error::Error(std::string description, int statusCode)
    : ErrorOf(ErrorKind::invalidResponse, "Unexpected response (status " + std::to_string(statusCode) +
                                              ") while downloading " + description),
      resourceDescription_(std::move(description)), statusCode_(statusCode) {}

AssetDownloader::Error AssetDownloader::Error::invalidResponse(std::string description, int statusCode) {
    return Error(std::move(description), statusCode);
}

const AssetDownloader::DataWriter AssetDownloader::defaultDataWriter =
    [](const std::string& bytes, const fs::path& destination) { platform::files::writeAtomically(destination, bytes); };

const AssetDownloader::FileMover AssetDownloader::defaultFileMover = [](const fs::path& temporaryFile,
                                                                        const fs::path& destination) {
    if (itemExists(destination)) fs::remove_all(destination);
    platform::files::moveItem(temporaryFile, destination);
};

fs::path AssetDownloader::ensure(const Descriptor& descriptor, platform::HttpTransport& session,
                                 const AppLogger& logger, std::stop_token stop) {
    const auto& destination = descriptor.destinationURL;
    if (descriptor.skipIfExists && itemExists(destination)) return destination;
    refuseWhenOffline("ensure(" + descriptor.description + ")");

    if (destination.has_parent_path()) fs::create_directories(destination.parent_path());
    logger.info("Downloading " + descriptor.description + "…");
    const auto request = plainGet(descriptor.remoteURL);
    if (const auto* writer = descriptor.transferMode.writer()) {
        const auto response = session.send(request, std::move(stop));
        if (!isSuccess(response.status)) {
            throw Error::invalidResponse(descriptor.description, reportedStatus(response.status));
        }
        (*writer)(response.body, destination);
    } else {
        // The temporary file is removed when `download` goes out of scope,
        // whether the mover took it or something failed on the way.
        auto download = session.download(request, {destination, std::nullopt, nullptr}, std::move(stop));
        if (!isSuccess(download.response.status)) {
            throw Error::invalidResponse(descriptor.description, reportedStatus(download.response.status));
        }
        (*descriptor.transferMode.mover())(download.file.path(), destination);
    }
    logger.info("Cached " + descriptor.description + " at " + destination.string());
    return destination;
}

std::string AssetDownloader::fetchData(const std::string& url, const std::string& description,
                                       platform::HttpTransport& session, const AppLogger& logger,
                                       std::stop_token stop) {
    refuseWhenOffline("fetchData(" + description + ")");
    logger.debug("Fetching " + description + " from " + url);
    auto response = session.send(plainGet(url), std::move(stop));
    if (!isSuccess(response.status)) throw Error::invalidResponse(description, reportedStatus(response.status));
    return std::move(response.body);
}

} // namespace razeziruzer
