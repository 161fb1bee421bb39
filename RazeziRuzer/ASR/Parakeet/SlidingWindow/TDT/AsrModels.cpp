#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/AsrModels.hpp"

#include "Platform/Core/BoundedRead.hpp"
#include "RazeziRuzer/ASR/Parakeet/ASRError.hpp"
#include "RazeziRuzer/ASR/Parakeet/ParakeetVocabulary.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/AsrModelsError.hpp"
#include "RazeziRuzer/DownloadUtils.hpp"
#include "RazeziRuzer/ModelNames.hpp"
#include "RazeziRuzer/Shared/AppLogger.hpp"
#include "RazeziRuzer/Shared/MLModelConfigurationUtils.hpp"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>

namespace razeziruzer {
namespace {

namespace fs = std::filesystem;
using platform::coreml::MLComputeUnits;
using platform::coreml::MLModel;
using platform::coreml::MLModelConfiguration;

const AppLogger& logger() {
    static const AppLogger shared("AsrModels");
    return shared;
}

// A model file and the compute units it is loaded with.
struct ModelSpec {
    std::string fileName;
    MLComputeUnits computeUnits;
};

bool itemExists(const fs::path& path) {
    std::error_code error;
    return fs::exists(fs::status(path, error));
}

fs::path repositoryFolder(const fs::path& folder, AsrModelVersion version) {
    return folder.parent_path() / folderName(repository(version));
}

std::optional<std::string> variant(AsrModelVersion version, ParakeetEncoderPrecision precision) {
    if (version != AsrModelVersion::v3) return std::nullopt;
    return std::string(rawValue(precision));
}

ModelNameSet requiredSet(AsrModelVersion version, ParakeetEncoderPrecision precision) {
    switch (version) {
    case AsrModelVersion::v2: return ModelNames::ASR::requiredModels();
    case AsrModelVersion::v3: return ModelNames::ASR::requiredModelsV3(precision);
    case AsrModelVersion::tdtCtc110m: return ModelNames::ASR::requiredModelsFused();
    case AsrModelVersion::tdtJa: return ModelNames::TDTJa::requiredModels();
    }
    return ModelNames::ASR::requiredModels();
}

std::string lowercased(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

std::optional<MLModel> loadOne(AsrModelVersion version, ParakeetEncoderPrecision precision, const fs::path& directory,
                               const ModelSpec& spec, const AsrModels::ProgressHandler& progressHandler) {
    auto loaded = DownloadUtils::loadModels(repository(version), {spec.fileName}, directory, spec.computeUnits,
                                            variant(version, precision), progressHandler);
    const auto found = loaded.find(spec.fileName);
    if (found == loaded.end()) return std::nullopt;
    return found->second;
}

std::optional<MLModel> loadCtcHead(const fs::path& folder, const MLModelConfiguration& configuration,
                                   const fs::path& directory, const AsrModels::ProgressHandler& progressHandler) {
    const std::string name(ModelNames::ASR::ctcHeadFile);
    const auto local = folder.parent_path() / folderName(Repo::parakeetTdtCtc110m) / name;
    if (itemExists(local)) {
        try {
            MLModelConfiguration headConfiguration;
            headConfiguration.computeUnits = configuration.computeUnits;
            auto head = MLModel::load(local, headConfiguration);
            logger().info("[Beta] Loaded CTC head model from local directory");
            return head;
        } catch (const std::exception&) {
            logger().warning("CTC head model found but failed to load: " + local.string());
        }
    }
    try {
        auto loaded = DownloadUtils::loadModels(Repo::parakeetCtc110m, {name}, directory, configuration.computeUnits,
                                                std::nullopt, progressHandler);
        const auto found = loaded.find(name);
        if (found == loaded.end()) return std::nullopt;
        logger().info("[Beta] Loaded CTC head model from HF repo");
        return found->second;
    } catch (const std::exception& error) {
        logger().warning(std::string("CTC head model not available: ") + error.what());
        return std::nullopt;
    }
}

} // namespace

const ModelNameSet& AsrModels::requiredModelNames() { return ModelNames::ASR::requiredModels(); }

std::string AsrModels::computeUnitsName(int rawComputeUnits) {
    switch (rawComputeUnits) {
    case 0: return "cpuOnly";
    case 1: return "cpuAndGPU";
    case 2: return "all";
    case 3: return "cpuAndNeuralEngine";
    default: return "unknown(" + std::to_string(rawComputeUnits) + ")";
    }
}

std::string AsrModels::encoderFile(AsrModelVersion version, ParakeetEncoderPrecision encoderPrecision) {
    if (version == AsrModelVersion::v3) return std::string(encoderFileName(encoderPrecision));
    return std::string(ModelNames::ASR::encoderFile);
}

std::string AsrModels::decoderFile(AsrModelVersion version) {
    return std::string(version == AsrModelVersion::tdtJa ? ModelNames::TDTJa::decoderFile
                                                         : ModelNames::ASR::decoderFile);
}

std::string AsrModels::jointFile(AsrModelVersion version) {
    switch (version) {
    case AsrModelVersion::v3: return std::string(ModelNames::ASR::jointV3File);
    case AsrModelVersion::tdtJa: return std::string(ModelNames::TDTJa::jointFile);
    default: return std::string(ModelNames::ASR::jointFile);
    }
}

std::string AsrModels::vocabularyFile(AsrModelVersion version) {
    return std::string(version == AsrModelVersion::tdtJa ? ModelNames::TDTJa::vocabularyFile
                                                         : ModelNames::ASR::vocabularyFile);
}

fs::path AsrModels::defaultCacheDirectory(AsrModelVersion version) {
    return MLModelConfigurationUtils::defaultModelsDirectory(repository(version));
}

MLModelConfiguration AsrModels::defaultConfiguration() {
    return MLModelConfigurationUtils::defaultConfiguration(MLComputeUnits::cpuAndNeuralEngine);
}

MLModelConfiguration AsrModels::optimizedConfiguration(bool enableFP16) {
    MLModelConfiguration configuration;
    configuration.computeUnits =
        std::getenv("CI") != nullptr ? MLComputeUnits::cpuOnly : MLComputeUnits::cpuAndNeuralEngine;
    configuration.allowLowPrecisionAccumulationOnGPU = enableFP16;
    return configuration;
}

platform::coreml::MLPredictionOptions AsrModels::optimizedPredictionOptions() { return {}; }

bool AsrModels::modelsExist(const fs::path& at, AsrModelVersion version, ParakeetEncoderPrecision encoderPrecision) {
    const auto folder = repositoryFolder(at, version);
    for (const auto& name : requiredSet(version, encoderPrecision)) {
        if (!itemExists(folder / name)) return false;
    }
    return itemExists(folder / vocabularyFile(version));
}

bool AsrModels::modelsExist(const fs::path& at) {
    const auto path = lowercased(at.string());
    auto version = AsrModelVersion::v3;
    for (const auto candidate :
         {AsrModelVersion::tdtCtc110m, AsrModelVersion::v2, AsrModelVersion::v3, AsrModelVersion::tdtJa}) {
        if (path.find(lowercased(folderName(repository(candidate)))) != std::string::npos) {
            version = candidate;
            break;
        }
    }
    return modelsExist(at, version, ParakeetEncoderPrecision::int8);
}

bool AsrModels::isModelValid(AsrModelVersion version, ParakeetEncoderPrecision encoderPrecision) {
#if defined(__x86_64__) || defined(__i386__)
    (void)version;
    (void)encoderPrecision;
    throw ASRError::unsupportedPlatform("Parakeet models require Apple Silicon");
#else
    return modelsExist(defaultCacheDirectory(version), version, encoderPrecision);
#endif
}

fs::path AsrModels::download(const std::optional<fs::path>& to, bool force, AsrModelVersion version,
                             ParakeetEncoderPrecision encoderPrecision, const ProgressHandler& progressHandler) {
    const auto target = to.value_or(defaultCacheDirectory(version));
    logger().info("Downloading ASR models to: " + target.string());
    const auto directory = target.parent_path();
    if (force) {
        // Only the folder the download goes into is refreshed; a differently
        // named target folder is someone else's and stays as it is.
        const auto downloadFolder = repositoryFolder(target, version);
        if (itemExists(downloadFolder)) fs::remove_all(downloadFolder);
    } else if (modelsExist(target, version, encoderPrecision)) {
        logger().info("ASR models already present at: " + target.string());
        return target;
    }
    std::vector<ModelSpec> specs;
    if (hasFusedEncoder(version)) {
        for (const auto& name : {std::string(ModelNames::ASR::preprocessorFile), decoderFile(version), jointFile(version)}) {
            specs.push_back({name, MLComputeUnits::cpuAndNeuralEngine});
        }
    } else {
        specs = {{std::string(ModelNames::ASR::preprocessorFile), MLComputeUnits::cpuOnly},
                 {encoderFile(version, encoderPrecision), MLComputeUnits::cpuAndNeuralEngine},
                 {decoderFile(version), MLComputeUnits::cpuAndNeuralEngine},
                 {jointFile(version), MLComputeUnits::cpuAndNeuralEngine}};
    }
    for (const auto& spec : specs) loadOne(version, encoderPrecision, directory, spec, progressHandler);
    logger().info("Successfully downloaded ASR models");
    return target;
}

AsrModels AsrModels::load(const fs::path& from, const std::optional<MLModelConfiguration>& configuration,
                          AsrModelVersion version, ParakeetEncoderPrecision encoderPrecision,
                          std::optional<MLComputeUnits> encoderComputeUnits, const ProgressHandler& progressHandler) {
    logger().info("Loading ASR models from: " + from.string());
    const auto used = configuration.value_or(defaultConfiguration());
    const auto directory = from.parent_path();
    const std::string preprocessorName(ModelNames::ASR::preprocessorFile);

    std::vector<ModelSpec> frontEnd;
    if (hasFusedEncoder(version)) {
        frontEnd = {{preprocessorName, used.computeUnits}};
    } else {
        frontEnd = {{preprocessorName, MLComputeUnits::cpuOnly},
                    {encoderFile(version, encoderPrecision), encoderComputeUnits.value_or(used.computeUnits)}};
    }
    std::optional<MLModel> preprocessor;
    std::optional<MLModel> encoder;
    for (const auto& spec : frontEnd) {
        auto model = loadOne(version, encoderPrecision, directory, spec, progressHandler);
        if (!model) continue;
        logger().info("Loaded " + spec.fileName + " with compute units: " +
                      computeUnitsName(platform::coreml::rawValue(spec.computeUnits)));
        (spec.fileName == preprocessorName ? preprocessor : encoder) = std::move(model);
    }
    if (!preprocessor) throw AsrModelsError::loadingFailed("Failed to load preprocessor model");
    if (!hasFusedEncoder(version) && !encoder) {
        throw AsrModelsError::loadingFailed("Failed to load encoder model (required for split frontend)");
    }

    auto decoder = loadOne(version, encoderPrecision, directory, {decoderFile(version), used.computeUnits},
                           progressHandler);
    if (!decoder) throw AsrModelsError::loadingFailed("Failed to load decoder model");

    const auto jointName = jointFile(version);
    auto joint = loadOne(version, encoderPrecision, directory, {jointName, used.computeUnits}, progressHandler);
    if (!joint) {
        std::string message = "Failed to load joint model " + jointName;
        if (version == AsrModelVersion::v3) {
            message += " (required for v3; delete the models directory to force a fresh download)";
        }
        throw AsrModelsError::loadingFailed(message);
    }
    logger().info("Loaded " + jointName);

    std::optional<MLModel> ctcHead;
    if (version == AsrModelVersion::tdtCtc110m) ctcHead = loadCtcHead(from, used, directory, progressHandler);

    auto vocabulary = loadVocabulary(from, version);
    logger().info("Successfully loaded all ASR models with optimized compute units");
    return AsrModels{std::move(encoder), std::move(*preprocessor), std::move(*decoder), std::move(*joint),
                     std::move(ctcHead), used, std::move(vocabulary), version};
}

AsrModels AsrModels::downloadAndLoad(const std::optional<fs::path>& to,
                                     const std::optional<MLModelConfiguration>& configuration,
                                     AsrModelVersion version, ParakeetEncoderPrecision encoderPrecision,
                                     std::optional<MLComputeUnits> encoderComputeUnits,
                                     const ProgressHandler& progressHandler) {
    const auto folder = download(to, false, version, encoderPrecision, progressHandler);
    return load(folder, configuration, version, encoderPrecision, encoderComputeUnits, progressHandler);
}

AsrModels AsrModels::loadFromCache(const std::optional<MLModelConfiguration>& configuration, AsrModelVersion version,
                                   std::optional<MLComputeUnits> encoderComputeUnits,
                                   const ProgressHandler& progressHandler) {
    return load(defaultCacheDirectory(version), configuration, version, ParakeetEncoderPrecision::int8,
                encoderComputeUnits, progressHandler);
}

AsrModels AsrModels::loadWithAutoRecovery(const std::optional<fs::path>& from,
                                          const std::optional<MLModelConfiguration>& configuration,
                                          std::optional<MLComputeUnits> encoderComputeUnits,
                                          const ProgressHandler& progressHandler) {
    const auto folder = from.value_or(MLModelConfigurationUtils::defaultModelsDirectory(Repo::parakeetV3));
    return load(folder, configuration, AsrModelVersion::v3, ParakeetEncoderPrecision::int8, encoderComputeUnits,
                progressHandler);
}

Vocabulary AsrModels::loadVocabulary(const fs::path& from, AsrModelVersion version) {
    const auto name = vocabularyFile(version);
    const auto path = repositoryFolder(from, version) / name;
    if (!itemExists(path)) {
        logger().warning("Vocabulary file not found at " + path.string() +
                         ". Please ensure the vocab file is downloaded with the models.");
        throw AsrModelsError::modelNotFound(name, path);
    }
    try {
        std::ifstream file(path, std::ios::binary);
        if (!file.is_open()) throw std::runtime_error("The file could not be opened");
        auto vocabulary =
            ParakeetVocabulary::parse(platform::readAtMost(file, ParakeetVocabulary::maximumFileBytes, path.string()));
        if (!vocabulary) throw AsrModelsError::loadingFailed("Vocabulary file has unexpected format");
        logger().info("Loaded vocabulary with " + std::to_string(vocabulary->size()) + " tokens from " + path.string());
        return std::move(*vocabulary);
    } catch (const AsrModelsError&) {
        throw;
    } catch (const std::exception& error) {
        logger().error("Failed to load or parse vocabulary file at " + path.string() + ": " + error.what());
        throw AsrModelsError::loadingFailed("Vocabulary parsing failed");
    }
}

} // namespace razeziruzer
