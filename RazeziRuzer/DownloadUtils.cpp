#include "RazeziRuzer/DownloadUtilsInternal.hpp"

namespace razeziruzer::DownloadUtils {

const AppLogger& logger() {
    static const AppLogger instance("DownloadUtils");
    return instance;
}

} // namespace razeziruzer::DownloadUtils
