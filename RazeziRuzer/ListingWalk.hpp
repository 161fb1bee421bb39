#pragma once
// Bounds one recursive walk of hub tree listings. The listings come from the
// network: a folder that lists itself, or two folders that list each other,
// would otherwise be walked without end. Each folder is listed once, files
// listed twice are taken once, and the depth, the number of listings and the
// number of files are capped.

#include <cstddef>
#include <set>
#include <string>

namespace razeziruzer::DownloadUtils {

class ListingWalk {
public:
    static constexpr int maximumDepth = 32;
    static constexpr std::size_t maximumListings = 2000;
    static constexpr std::size_t maximumFiles = 20000;

    // Whether the folder at `path`, `depth` folders below the start, is still
    // to be listed; false (with a warning) for one listed before. Throws
    // invalidResponse when the walk would pass its depth or listing cap.
    bool enterFolder(const std::string& path, int depth);

    // Whether the file is new to this walk; false for a repeated path. Throws
    // invalidResponse when the walk would pass its file cap.
    bool takeFile(const std::string& path);

private:
    std::set<std::string, std::less<>> folders_;
    std::set<std::string, std::less<>> files_;
};

} // namespace razeziruzer::DownloadUtils
