#include "RazeziRuzer/ListingWalk.hpp"

#include "RazeziRuzer/DownloadErrors.hpp"
#include "RazeziRuzer/DownloadUtilsInternal.hpp"

namespace razeziruzer::DownloadUtils {

bool ListingWalk::enterFolder(const std::string& path, int depth) {
    if (depth > maximumDepth) {
        logger().error("Listing nests folders more than " + std::to_string(maximumDepth) + " levels deep at " + path);
        throw HuggingFaceDownloadError::invalidResponse();
    }
    if (folders_.contains(path)) {
        logger().warning("Listing names the folder " + path + " again; it is listed once");
        return false;
    }
    if (folders_.size() >= maximumListings) {
        logger().error("Listing holds more than " + std::to_string(maximumListings) + " folders");
        throw HuggingFaceDownloadError::invalidResponse();
    }
    folders_.insert(path);
    return true;
}

bool ListingWalk::takeFile(const std::string& path) {
    if (files_.contains(path)) return false;
    if (files_.size() >= maximumFiles) {
        logger().error("Listing holds more than " + std::to_string(maximumFiles) + " files");
        throw HuggingFaceDownloadError::invalidResponse();
    }
    files_.insert(path);
    return true;
}

} // namespace razeziruzer::DownloadUtils
