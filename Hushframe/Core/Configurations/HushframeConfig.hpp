#pragma once
// The one record the pipeline's main class is built from: where the models
// come from, how they are computed, which components to use (each one
// injectable; absent ones are supplied by the main class), how much to log,
// and whether the models are prewarmed and loaded during construction. It
// validates and derives nothing; the main class reads it once.

#include "Hushframe/Core/Models/ModelComputeOptions.hpp"
#include "PelluxCore/Logging.hpp"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace hushframe {

// Components of the audio front end and the decoding core.
struct AudioInputConfig;
class AudioProcessing;
class FeatureExtracting;
class AudioEncoding;
class TextDecoding;
class LogitsFiltering;
class SegmentSeeking;
class VoiceActivityDetector;

struct HushframeConfig {
    // Model variant name or pattern; absent: the device's recommended model.
    std::optional<std::string> model;
    std::optional<std::filesystem::path> downloadBase;
    std::optional<std::string> modelRepo;
    std::optional<std::string> modelToken;
    std::optional<std::string> modelEndpoint;
    // A local folder that already holds the compiled models.
    std::optional<std::string> modelFolder;
    std::optional<std::filesystem::path> tokenizerFolder;
    std::optional<ModelComputeOptions> computeOptions;
    // Absent (null): the main class's default channel handling.
    std::shared_ptr<const AudioInputConfig> audioInputConfig;
    std::shared_ptr<AudioProcessing> audioProcessor;
    std::shared_ptr<FeatureExtracting> featureExtractor;
    std::shared_ptr<AudioEncoding> audioEncoder;
    std::shared_ptr<TextDecoding> textDecoder;
    // Present, even empty: replaces the text decoder's own filters.
    std::optional<std::vector<std::shared_ptr<LogitsFiltering>>> logitsFilters;
    std::shared_ptr<SegmentSeeking> segmentSeeker;
    std::shared_ptr<VoiceActivityDetector> voiceActivityDetector;
    // False silences the package log whatever logLevel says.
    bool verbose = true;
    pelluxcore::Logging::LogLevel logLevel = pelluxcore::Logging::LogLevel::info;
    // Absent counts as false.
    std::optional<bool> prewarm;
    // Absent: load during construction only when modelFolder is given.
    std::optional<bool> load;
    bool download = true;
    bool useBackgroundDownloadSession = false;
};

} // namespace hushframe
