#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/WordSpotting/CtcModels.hpp"

#include "Platform/Core/BoundedJson.hpp"
#include "Platform/Core/BoundedRead.hpp"
#include "RazeziRuzer/ASR/Parakeet/ParakeetVocabulary.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/AsrModelsError.hpp"
#include "RazeziRuzer/DownloadUtils.hpp"
#include "RazeziRuzer/ModelNamesRecognition.hpp"
#include "RazeziRuzer/Shared/AppLogger.hpp"
#include "RazeziRuzer/Shared/MLModelConfigurationUtils.hpp"

#include <fstream>

namespace razeziruzer {

namespace fs = std::filesystem;
using platform::coreml::MLComputeUnits;
using platform::coreml::MLModel;

namespace {

const AppLogger& logger() {
    static const AppLogger instance("CtcModels");
    return instance;
}

const std::string melName(ModelNames::CTC::melSpectrogramPath);
const std::string encoderName(ModelNames::CTC::audioEncoderPath);
const std::string vocabularyName(ModelNames::CTC::vocabularyPath);

bool itemExists(const fs::path& path) {
    std::error_code error;
    return fs::exists(fs::symlink_status(path, error));
}

std::string computeUnitsName(MLComputeUnits units) {
    switch (units) {
    case MLComputeUnits::cpuOnly: return "cpuOnly";
    case MLComputeUnits::cpuAndGPU: return "cpuAndGPU";
    case MLComputeUnits::all: return "all";
    case MLComputeUnits::cpuAndNeuralEngine: return "cpuAndNeuralEngine";
    }
    return "unknown";
}

// Opens a bundle, compiling it when it cannot be opened as it is.
MLModel openDirect(const fs::path& directory, const std::string& name, const std::string& bundle,
                   const platform::coreml::MLModelConfiguration& configuration) {
    const auto path = directory / bundle;
    if (!itemExists(path)) throw AsrModelsError::modelNotFound(name, path);
    try {
        auto model = MLModel::load(path, configuration);
        logger().info("Loaded " + name + " directly from: " + path.string());
        return model;
    } catch (const std::exception&) {
        logger().info("Direct load failed, attempting compilation...");
    }
    return MLModel::load(MLModel::compileModel(path), configuration);
}

} // namespace

fs::path CtcModels::defaultCacheDirectory(CtcModelVariant variant) {
    return MLModelConfigurationUtils::defaultModelsDirectory(repo(variant));
}

platform::coreml::MLModelConfiguration CtcModels::defaultConfiguration() {
    return MLModelConfigurationUtils::defaultConfiguration(MLComputeUnits::cpuAndNeuralEngine);
}

bool CtcModels::modelsExist(const fs::path& directory) {
    for (const auto& name : ModelNames::CTC::requiredModels()) {
        if (!itemExists(directory / std::string(name))) return false;
    }
    return itemExists(directory / vocabularyName);
}

Vocabulary CtcModels::loadVocabulary(const fs::path& directory) {
    const auto file = directory / vocabularyName;
    if (!itemExists(file)) throw AsrModelsError::modelNotFound(vocabularyName, file);
    std::ifstream in(file, std::ios::binary);
    if (!in || fs::is_directory(file)) throw fs::filesystem_error("cannot read", file, std::make_error_code(std::errc::io_error));
    const auto json =
        platform::parseBoundedJson(platform::readAtMost(in, ParakeetVocabulary::maximumFileBytes, file.string()));
    Vocabulary vocabulary;
    if (json.is_object()) {
        for (const auto& [key, value] : json.items()) {
            if (!value.is_string()) {
                vocabulary.clear();
                break;
            }
            const auto id = ParakeetVocabulary::parseDecimalKey(key);
            if (id && *id >= std::numeric_limits<int>::min() && *id <= std::numeric_limits<int>::max()) {
                vocabulary[static_cast<int>(*id)] = value.get<std::string>();
            }
        }
    }
    logger().info("Loaded CTC vocabulary with " + std::to_string(vocabulary.size()) + " tokens from " + file.string());
    return vocabulary;
}

fs::path CtcModels::download(const std::optional<fs::path>& directory, CtcModelVariant variant, bool force) {
    const auto target = directory.value_or(defaultCacheDirectory(variant));
    logger().info("Preparing CTC models (" + std::string(displayName(variant)) + ") at: " + target.string());
    const auto root = target.parent_path();
    if (force) {
        if (itemExists(target)) fs::remove_all(target);
    } else if (modelsExist(target)) {
        logger().info("CTC models already present at: " + target.string());
        return target;
    }
    // One bundle per call: each call downloads what is missing, opens the
    // bundle once as a check and repairs a broken cache.
    for (const auto& bundle : {melName, encoderName}) {
        DownloadUtils::loadModels(repo(variant), {bundle}, root, MLComputeUnits::cpuAndNeuralEngine);
    }
    logger().info("Successfully downloaded CTC models (" + std::string(displayName(variant)) + ")");
    return target;
}

CtcModels CtcModels::load(const fs::path& directory, CtcModelVariant variant) {
    logger().info("Loading CTC models (" + std::string(displayName(variant)) + ") from: " + directory.string());
    auto configuration = defaultConfiguration();
    auto models = DownloadUtils::loadModels(repo(variant), {melName, encoderName}, directory.parent_path(),
                                            configuration.computeUnits);
    const auto mel = models.find(melName);
    const auto encoder = models.find(encoderName);
    if (mel == models.end() || encoder == models.end()) {
        throw AsrModelsError::loadingFailed("Failed to load CTC MelSpectrogram or AudioEncoder models");
    }
    auto vocabulary = loadVocabulary(directory);
    logger().info("Successfully loaded CTC models (" + std::string(displayName(variant)) + ") and vocabulary");
    return {mel->second, encoder->second, configuration, std::move(vocabulary), variant};
}

CtcModels CtcModels::loadDirect(const fs::path& directory, CtcModelVariant variant) {
    logger().info("Loading CTC models directly from: " + directory.string());
    auto configuration = defaultConfiguration();
    auto mel = openDirect(directory, std::string(ModelNames::CTC::melSpectrogram), melName, configuration);
    auto encoder = openDirect(directory, std::string(ModelNames::CTC::audioEncoder), encoderName, configuration);
    logger().info("CTC models loaded with computeUnits: " + computeUnitsName(configuration.computeUnits));
    auto vocabulary = loadVocabulary(directory);
    logger().info("Successfully loaded CTC models directly (" + std::to_string(vocabulary.size()) + " vocab tokens)");
    return {std::move(mel), std::move(encoder), configuration, std::move(vocabulary), variant};
}

CtcModels CtcModels::downloadAndLoad(const std::optional<fs::path>& directory, CtcModelVariant variant) {
    return load(download(directory, variant, false), variant);
}

} // namespace razeziruzer
