#pragma once
// The loaded unified Parakeet models of one recogniser (preprocessor,
// encoder of its mode and precision, prediction network, joint) with the
// vocabulary and the decoder built over them, plus the front-end run that
// turns one window of samples into encoder frames.

#include "Platform/CoreML/MLModel.hpp"
#include "Platform/CoreML/MLModelConfiguration.hpp"
#include "RazeziRuzer/ASR/Parakeet/Streaming/Tokenizer.hpp"
#include "RazeziRuzer/ASR/Parakeet/Unified/UnifiedConfig.hpp"
#include "RazeziRuzer/ASR/Parakeet/Unified/UnifiedModelFiles.hpp"
#include "RazeziRuzer/ASR/Parakeet/Unified/UnifiedRnntDecoder.hpp"
#include "RazeziRuzer/DownloadUtils.hpp"
#include "RazeziRuzer/Shared/AppLogger.hpp"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>

namespace razeziruzer {

struct UnifiedModelSet {
    platform::coreml::MLModel preprocessor;
    platform::coreml::MLModel encoder;
    platform::coreml::MLModel decoder;
    platform::coreml::MLModel jointDecision;
    std::shared_ptr<const Tokenizer> tokenizer;
    std::unique_ptr<UnifiedRnntDecoder> rnntDecoder;

    // Loads every file of the folder; nothing is returned unless all load.
    static UnifiedModelSet load(const std::filesystem::path& folder, UnifiedModelFiles::Mode mode,
                                UnifiedEncoderPrecision precision,
                                const platform::coreml::MLModelConfiguration& configuration, const UnifiedConfig& config);

    // The repository folder under the models root, downloaded first unless
    // the encoder of this mode and precision is already there.
    static std::filesystem::path ensureDownloaded(const std::optional<std::filesystem::path>& modelsRoot,
                                                  UnifiedModelFiles::Mode mode, UnifiedEncoderPrecision precision,
                                                  const DownloadUtils::ProgressHandler& progressHandler,
                                                  const AppLogger& logger, const std::string& kind);
};

struct UnifiedEncoderOutput {
    platform::coreml::MLMultiArray encoded;  // [1, H, T]
    std::int64_t validFrames = 0;            // min(T, encoder_length)
};

// Runs the preprocessor and encoder over samples placed at the start of a
// zeroed [1, capacity] input.
UnifiedEncoderOutput runUnifiedFrontEnd(const platform::coreml::MLModel& preprocessor,
                                        const platform::coreml::MLModel& encoder, std::span<const float> samples,
                                        std::int64_t capacity);

} // namespace razeziruzer
