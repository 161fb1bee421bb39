#pragma once
// One loaded Parakeet TDT model set (preprocessor, encoder, decoder, joint,
// optional CTC head, vocabulary, configuration and version), and the
// operations that fetch a version into the model cache, check a cache folder
// and load a set from it. Copies share the loaded models; a set never changes.
//
// Folder convention: every operation works in the repository folder beside
// the given folder (its parent joined with the version's repository folder
// name); for the default cache folder the two are the same.

#include "Platform/CoreML/MLModel.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/AsrModelVersion.hpp"
#include "RazeziRuzer/ASR/Parakeet/Vocabulary.hpp"
#include "RazeziRuzer/DownloadProgress.hpp"
#include "RazeziRuzer/ModelNameSet.hpp"
#include "RazeziRuzer/ParakeetEncoderPrecision.hpp"

#include <filesystem>
#include <optional>
#include <string>

namespace razeziruzer {

struct AsrModels {
    using MLModel = platform::coreml::MLModel;
    using MLModelConfiguration = platform::coreml::MLModelConfiguration;
    using MLComputeUnits = platform::coreml::MLComputeUnits;
    using ProgressHandler = DownloadUtils::ProgressHandler;

    std::optional<MLModel> encoder;
    MLModel preprocessor;
    MLModel decoder;
    MLModel joint;
    std::optional<MLModel> ctcHead;
    MLModelConfiguration configuration;
    Vocabulary vocabulary;
    AsrModelVersion version;

    bool usesSplitFrontend() const { return !hasFusedEncoder(version); }

    static const ModelNameSet& requiredModelNames();

    // Fetches the version's models into the repository folder beside `to`
    // (default: the version's cache folder) and loads each once; returns at
    // once when the folder is complete, unless `force`, which first deletes
    // the repository folder the download goes into.
    static std::filesystem::path download(const std::optional<std::filesystem::path>& to, bool force,
                                          AsrModelVersion version, ParakeetEncoderPrecision encoderPrecision,
                                          const ProgressHandler& progressHandler = {});
    // Loads a set, fetching a missing or incomplete repository folder first.
    static AsrModels load(const std::filesystem::path& from, const std::optional<MLModelConfiguration>& configuration,
                          AsrModelVersion version, ParakeetEncoderPrecision encoderPrecision,
                          std::optional<MLComputeUnits> encoderComputeUnits = std::nullopt,
                          const ProgressHandler& progressHandler = {});
    static AsrModels downloadAndLoad(const std::optional<std::filesystem::path>& to,
                                     const std::optional<MLModelConfiguration>& configuration,
                                     AsrModelVersion version, ParakeetEncoderPrecision encoderPrecision,
                                     std::optional<MLComputeUnits> encoderComputeUnits = std::nullopt,
                                     const ProgressHandler& progressHandler = {});
    static AsrModels loadFromCache(const std::optional<MLModelConfiguration>& configuration, AsrModelVersion version,
                                   std::optional<MLComputeUnits> encoderComputeUnits = std::nullopt,
                                   const ProgressHandler& progressHandler = {});
    static AsrModels loadWithAutoRecovery(const std::optional<std::filesystem::path>& from,
                                          const std::optional<MLModelConfiguration>& configuration,
                                          std::optional<MLComputeUnits> encoderComputeUnits = std::nullopt,
                                          const ProgressHandler& progressHandler = {});

    static bool modelsExist(const std::filesystem::path& at, AsrModelVersion version,
                            ParakeetEncoderPrecision encoderPrecision);
    // Infers the version from the path (v3 when nothing matches), int8 encoder.
    static bool modelsExist(const std::filesystem::path& at);
    // Intel processors cannot run the models: throws ASRError.unsupportedPlatform there.
    static bool isModelValid(AsrModelVersion version, ParakeetEncoderPrecision encoderPrecision);

    static std::filesystem::path defaultCacheDirectory(AsrModelVersion version);
    static MLModelConfiguration defaultConfiguration();
    // CPU only when the environment has "CI" (any value), else CPU and Neural Engine.
    static MLModelConfiguration optimizedConfiguration(bool enableFP16);
    static platform::coreml::MLPredictionOptions optimizedPredictionOptions();

    // "cpuOnly", "cpuAndGPU", "all", "cpuAndNeuralEngine" or "unknown(<n>)".
    static std::string computeUnitsName(int rawComputeUnits);
    // The version's model file names and vocabulary file.
    static std::string encoderFile(AsrModelVersion version, ParakeetEncoderPrecision encoderPrecision);
    static std::string decoderFile(AsrModelVersion version);
    static std::string jointFile(AsrModelVersion version);
    static std::string vocabularyFile(AsrModelVersion version);

private:
    static Vocabulary loadVocabulary(const std::filesystem::path& from, AsrModelVersion version);
};

} // namespace razeziruzer
