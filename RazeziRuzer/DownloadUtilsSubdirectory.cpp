#include "RazeziRuzer/DownloadUtils.hpp"
#include "RazeziRuzer/DownloadUtilsInternal.hpp"
#include "RazeziRuzer/ListingWalk.hpp"
#include "RazeziRuzer/ModelRegistry.hpp"
#include "RazeziRuzer/URLText.hpp"

#include <fstream>

namespace razeziruzer::DownloadUtils {
namespace {

namespace fs = std::filesystem;

// One call of downloadSubdirectory.
class SubdirectoryDownload {
public:
    SubdirectoryDownload(Repo repo, const fs::path& to, const ProgressHandler& progressHandler,
                         const SkipPredicate& shouldSkip, std::stop_token stop)
        : repo_(repo), to_(to), progressHandler_(progressHandler), shouldSkip_(shouldSkip), stop_(std::move(stop)) {}

    void run(std::string_view subdirectory) {
        report(0.0, DownloadPhase::listing());
        listFiles(std::string(subdirectory));
        const auto count = static_cast<int>(entries_.size());
        logger().info("Found " + std::to_string(count) + " files in " + std::string(subdirectory));
        report(count == 0 ? 1.0 : 0.0, DownloadPhase::downloading(0, count));

        for (int i = 0; i < count; ++i) {
            fetch(entries_[static_cast<std::size_t>(i)]);
            report(static_cast<double>(i + 1) / count, DownloadPhase::downloading(i + 1, count));
            if ((i + 1) % 5 == 0 || i == count - 1) {
                logger().info("Downloaded " + std::to_string(i + 1) + "/" + std::to_string(count) + " " +
                              std::string(subdirectory) + " files");
            }
        }
        logger().info("Downloaded " + std::string(subdirectory) + " from " + folderName(repo_));
    }

private:
    void report(double fraction, DownloadPhase phase) const {
        if (progressHandler_) progressHandler_({fraction, std::move(phase)});
    }

    void listFiles(const std::string& path, int depth = 0) {
        if (!walk_.enterFolder(path, depth)) return;
        const auto url = ModelRegistry::apiModels(remotePath(repo_), "tree/main/" + path);
        const auto response = fetchWithAuth(url, stop_);
        if (response.status == 429 || response.status == 503) {
            throw HuggingFaceDownloadError::rateLimited(response.status, "Rate limited while listing files in " + path);
        }
        validateJSONResponse(response.body, path);
        for (const auto& entry : parseListing(response.body)) {
            if (shouldSkip_ && shouldSkip_(entry.path)) continue;
            if (entry.type == "directory") {
                listFiles(entry.path, depth + 1);
            } else if (entry.type == "file") {
                if (!staysInsideFolder(entry.path)) {
                    logger().error("Listing path leaves the target folder: " + entry.path);
                    throw HuggingFaceDownloadError::invalidResponse();
                }
                if (walk_.takeFile(entry.path)) entries_.push_back(entry);
            }
        }
    }

    void fetch(const ListingEntry& entry) {
        const auto destination = to_ / entry.path;
        if (itemExists(destination)) return;
        fs::create_directories(destination.parent_path());
        if (entry.size == 0) {
            std::ofstream{destination, std::ios::binary};
            return;
        }
        const auto url = ModelRegistry::resolveModel(remotePath(repo_), URLText::percentEncodedPath(entry.path));
        auto download = sharedSession().download(authorizedRequest(url), {destination, std::nullopt, nullptr}, stop_);
        const int status = download.response.status;
        if (status < 100) throw HuggingFaceDownloadError::invalidResponse();
        if (status == 429 || status == 503) {
            throw HuggingFaceDownloadError::rateLimited(status, "Rate limited while downloading " + entry.path);
        }
        if (status < 200 || status > 299) {
            throw HuggingFaceDownloadError::downloadFailed(entry.path, HTTPStatusError(status));
        }
        if (itemExists(destination)) {
            std::error_code ignored;
            fs::remove_all(destination, ignored);
        }
        download.file.moveTo(destination);
    }

    Repo repo_;
    fs::path to_;
    const ProgressHandler& progressHandler_;
    const SkipPredicate& shouldSkip_;
    std::stop_token stop_;
    std::vector<ListingEntry> entries_;
    ListingWalk walk_;
};

std::string fetchOnce(const platform::HttpRequest& request, std::stop_token stop) {
    const auto response = sharedSession().send(request, std::move(stop));
    if (response.status == 429 || response.status == 503) {
        throw HuggingFaceDownloadError::rateLimited(response.status, "HTTP " + std::to_string(response.status));
    }
    if (response.status < 200 || response.status > 299) throw HuggingFaceDownloadError::invalidResponse();
    return response.body;
}

} // namespace

void downloadSubdirectory(Repo repo, std::string_view subdirectory, const fs::path& to,
                          const ProgressHandler& progressHandler, const SkipPredicate& shouldSkip,
                          std::stop_token stop) {
    if (enforceOffline) {
        throw OfflineError::networkDisabled("downloadSubdirectory(" + folderName(repo) + "/" +
                                            std::string(subdirectory) + ")");
    }
    SubdirectoryDownload(repo, to, progressHandler, shouldSkip, std::move(stop)).run(subdirectory);
}

std::string fetchHuggingFaceFile(std::string_view from, std::string_view description, int maxAttempts,
                                 double minBackoff, std::stop_token stop) {
    if (enforceOffline) throw OfflineError::networkDisabled("fetchHuggingFaceFile(" + std::string(description) + ")");
    const auto request = authorizedRequest(std::string(from));
    for (int attempt = 1;; ++attempt) {
        std::exception_ptr failure;
        try {
            return fetchOnce(request, stop);
        } catch (...) {
            failure = std::current_exception();
        }
        if (attempt >= maxAttempts) std::rethrow_exception(failure);
        backOffBeforeRetry(attempt, description, failure, minBackoff, stop);
    }
}

} // namespace razeziruzer::DownloadUtils
