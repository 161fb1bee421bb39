#pragma once
// The progress record handed to every download and model-loading callback of
// the speech package: a fraction from 0 to 1 and what is happening.

#include <functional>
#include <string>

namespace razeziruzer::DownloadUtils {

struct DownloadPhase {
    enum class Kind { listing, downloading, compiling };

    Kind kind = Kind::listing;
    int completedFiles = 0;   // downloading only
    int totalFiles = 0;       // downloading only
    std::string modelName;    // compiling only

    static DownloadPhase listing() { return {}; }
    static DownloadPhase downloading(int completedFiles, int totalFiles) {
        return {Kind::downloading, completedFiles, totalFiles, {}};
    }
    static DownloadPhase compiling(std::string modelName) { return {Kind::compiling, 0, 0, std::move(modelName)}; }

    bool operator==(const DownloadPhase&) const = default;
};

struct DownloadProgress {
    double fractionCompleted = 0;
    DownloadPhase phase;

    bool operator==(const DownloadProgress&) const = default;
};

// May be called from any thread.
using ProgressHandler = std::function<void(const DownloadProgress& progress)>;

// Kept for callers that describe a download's time-out; the hub requests
// use their own fixed time-out.
struct DownloadConfig {
    double timeout = 1800;

    static const DownloadConfig default_;
};

inline const DownloadConfig DownloadConfig::default_{1800};

} // namespace razeziruzer::DownloadUtils
