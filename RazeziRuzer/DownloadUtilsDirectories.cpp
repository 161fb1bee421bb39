#include "RazeziRuzer/DownloadUtilsInternal.hpp"

namespace razeziruzer::DownloadUtils {

bool itemExists(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::exists(std::filesystem::symlink_status(path, error));
}

void createDirectoryRobustly(const std::filesystem::path& directory) {
    namespace fs = std::filesystem;
    const auto absolute = directory.is_absolute() ? directory : fs::absolute(directory);
    fs::path current = absolute.root_path();
    for (const auto& component : absolute.relative_path()) {
        if (component.empty()) continue;
        current /= component;
        std::error_code error;
        const auto status = fs::status(current, error);
        if (fs::is_directory(status)) continue;
        if (fs::exists(status)) {
            logger().warning("Removing file blocking directory creation: " + current.string());
            fs::remove(current);
            fs::create_directory(current);
            continue;
        }
        fs::create_directories(absolute);
        return;
    }
}

} // namespace razeziruzer::DownloadUtils
