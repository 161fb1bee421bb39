#include "RazeziRuzer/DownloadUtils.hpp"
#include "RazeziRuzer/DownloadUtilsInternal.hpp"
#include "RazeziRuzer/DownloadRecord.hpp"
#include "RazeziRuzer/ListingWalk.hpp"
#include "RazeziRuzer/ModelNames.hpp"
#include "RazeziRuzer/ModelRegistry.hpp"
#include "RazeziRuzer/RepoFileSelection.hpp"
#include "RazeziRuzer/URLText.hpp"

#include <algorithm>
#include <fstream>
#include <set>

namespace razeziruzer::DownloadUtils {
namespace {

namespace fs = std::filesystem;

RecordedFile listedFile(const ListingEntry& entry) {
    return {entry.size, entry.sha256, entry.gitBlobId, 0};
}

// Whether the listing says enough of a file to tell a good copy from a bad one.
bool isVerifiable(const ListingEntry& entry) { return entry.size >= 0; }

std::string lastPathComponent(std::string_view path) {
    const auto slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

// One call of downloadRepo: the listing, the per-file loop and the check.
class RepoDownload {
public:
    RepoDownload(Repo repo, const fs::path& to, ModelNameSet requiredNames, const ProgressHandler& progressHandler,
                 std::stop_token stop)
        : repo_(repo), repoFolder_(to / folderName(repo)), requiredNames_(std::move(requiredNames)),
          selection_(optionalSubPath(repo), requiredNames_), progressHandler_(progressHandler),
          stop_(std::move(stop)) {}

    void run() {
        const auto name = folderName(repo_);
        logger().info("Downloading " + name + " from HuggingFace...");
        fs::create_directories(repoFolder_);
        report(0, DownloadPhase::listing());

        listDirectory(subPath(repo_) ? std::string(*subPath(repo_)) : std::string());
        if (subPath(repo_)) fetchMissingRootFiles();

        logger().info("Found " + std::to_string(selected_.size()) + " files to download");
        downloadSelectedFiles();
        verify();
        writeRecord();
        logger().info("Downloaded all required models for " + name);
    }

private:
    static std::optional<std::string> optionalSubPath(Repo repo) {
        if (const auto path = subPath(repo)) return std::string(*path);
        return std::nullopt;
    }

    void report(double fraction, DownloadPhase phase) const {
        if (progressHandler_) progressHandler_({fraction, std::move(phase)});
    }

    std::vector<ListingEntry> fetchListing(const std::string& url, const std::string& rateLimitMessage,
                                           std::string_view path) {
        const auto response = sharedSession().send(authorizedRequest(url), stop_);
        if (response.status == 429 || response.status == 503) {
            throw HuggingFaceDownloadError::rateLimited(response.status, rateLimitMessage);
        }
        validateJSONResponse(response.body, path);
        return parseListing(response.body);
    }

    void select(const ListingEntry& entry) {
        if (!staysInsideFolder(selection_.localPath(entry.path))) {
            logger().error("Listing path leaves the repository folder: " + entry.path);
            throw HuggingFaceDownloadError::invalidResponse();
        }
        if (walk_.takeFile(entry.path)) selected_.push_back(entry);
    }

    void listDirectory(const std::string& path, int depth = 0) {
        if (!walk_.enterFolder(path, depth)) return;
        const auto listingPath = path.empty() ? std::string("tree/main") : "tree/main/" + path;
        const auto url = ModelRegistry::apiModels(remotePath(repo_), listingPath);
        for (const auto& entry : fetchListing(url, "Rate limited while listing files", path)) {
            if (entry.type == "directory") {
                if (selection_.shouldDescend(entry.path)) listDirectory(entry.path, depth + 1);
            } else if (entry.type == "file") {
                if (selection_.shouldSelect(entry.path)) select(entry);
            }
        }
    }

    void fetchMissingRootFiles() {
        std::set<std::string, std::less<>> found;
        for (const auto& entry : selected_) found.insert(lastPathComponent(entry.path));
        std::set<std::string, std::less<>> wanted;
        for (const auto& name : requiredNames_) {
            if (name.ends_with(".mlmodelc") || name.ends_with(".mlpackage")) continue;
            if (!found.contains(lastPathComponent(name))) wanted.insert(name);
        }
        if (!wanted.empty()) listRootFiles(wanted);
    }

    void listRootFiles(const std::set<std::string, std::less<>>& names) {
        const auto url = ModelRegistry::apiModels(remotePath(repo_), "tree/main");
        for (const auto& entry : fetchListing(url, "Rate limited while listing root files", "")) {
            if (entry.type == "file" && names.contains(lastPathComponent(entry.path))) select(entry);
        }
    }

    void downloadSelectedFiles() {
        std::int64_t total = 0;
        for (const auto& entry : selected_) total += std::max<std::int64_t>(entry.size, 0);
        const auto count = static_cast<int>(selected_.size());
        std::int64_t done = 0;

        for (int i = 0; i < count; ++i) {
            const auto& entry = selected_[static_cast<std::size_t>(i)];
            const auto destination = repoFolder_ / selection_.localPath(entry.path);
            if (itemExists(destination)) {
                done += std::max<std::int64_t>(entry.size, 0);
                continue;
            }
            createDirectoryRobustly(destination.parent_path());
            if (entry.size == 0) {
                std::ofstream{destination, std::ios::binary};
                continue;
            }
            fetchInto(entry, destination, byteProgress(total, done, i, count));
            done += std::max<std::int64_t>(entry.size, 0);

            if ((i + 1) % 10 == 0 || i == count - 1) {
                logger().info("Downloaded " + std::to_string(i + 1) + "/" + std::to_string(count) + " files");
            }
            const double fraction = total > 0 ? 0.5 * static_cast<double>(done) / static_cast<double>(total)
                                              : 0.5 * (i + 1) / count;
            report(fraction, DownloadPhase::downloading(i + 1, count));
        }
    }

    platform::HttpProgressHandler byteProgress(std::int64_t total, std::int64_t done, int index, int count) const {
        if (!progressHandler_ || total <= 0) return {};
        return [handler = progressHandler_, total, done, index, count](std::int64_t written, std::optional<std::int64_t>) {
            const double fraction = 0.5 * static_cast<double>(done + written) / static_cast<double>(total);
            handler({std::min(0.5, fraction), DownloadPhase::downloading(index, count)});
        };
    }

    void fetchInto(const ListingEntry& entry, const fs::path& destination,
                   const platform::HttpProgressHandler& onProgress) {
        const auto url = ModelRegistry::resolveModel(remotePath(repo_), URLText::percentEncodedPath(entry.path));
        auto file = downloadFileWithRetry(authorizedRequest(url), entry.path, onProgress, 4, 1.0, destination, stop_);
        // A listed digest proves what the file must hold; a size alone does
        // not, and a file of another size is only left out of the record.
        if (entry.size >= 0 && (entry.sha256 || entry.gitBlobId) &&
            !DownloadRecord::matches(file.path(), listedFile(entry))) {
            logger().error("Downloaded " + entry.path + " does not match the size and digest the hub lists for it");
            throw HuggingFaceDownloadError::invalidResponse();
        }
        if (itemExists(destination)) {
            std::error_code ignored;
            fs::remove_all(destination, ignored);
        }
        file.moveTo(destination);
    }

    // Records every selected file that matches the listing, whether fetched
    // now or found in place; a file that differs is not vouched for, so
    // cache recovery will never delete it.
    void writeRecord() const {
        auto record = DownloadRecord::read(repoFolder_).value_or(DownloadRecord{});
        for (const auto& entry : selected_) {
            const auto relative = selection_.localPath(entry.path);
            if (!isVerifiable(entry) || !record.addIfMatching(repoFolder_, relative, listedFile(entry))) {
                record.forget(relative);
            }
        }
        record.write(repoFolder_);
    }

    void verify() const {
        for (const auto& name : requiredNames_) {
            if (!itemExists(repoFolder_ / name)) throw HuggingFaceDownloadError::modelNotFound(name);
        }
    }

    Repo repo_;
    fs::path repoFolder_;
    ModelNameSet requiredNames_;
    RepoFileSelection selection_;
    const ProgressHandler& progressHandler_;
    std::stop_token stop_;
    std::vector<ListingEntry> selected_;
    ListingWalk walk_;
};

} // namespace

void downloadRepo(Repo repo, const fs::path& to, const std::optional<std::string>& variant,
                  const ModelNameSet& additionalModelNames, const ProgressHandler& progressHandler,
                  std::stop_token stop) {
    if (enforceOffline) throw OfflineError::networkDisabled("downloadRepo(" + folderName(repo) + ")");
    auto requiredNames = ModelNames::getRequiredModelNames(
        repo, variant ? std::optional<std::string_view>(*variant) : std::nullopt);
    requiredNames.insert(additionalModelNames.begin(), additionalModelNames.end());
    RepoDownload(repo, to, std::move(requiredNames), progressHandler, std::move(stop)).run();
}

} // namespace razeziruzer::DownloadUtils
