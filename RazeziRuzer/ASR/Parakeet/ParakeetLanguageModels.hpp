#pragma once
// A Parakeet TDT model set published per language: preprocessor, encoder,
// decoder, optional joint, vocabulary and blank id. Everything that differs
// between languages (repository, file names, blank id, names in messages)
// comes from a configuration type with static members:
//   blankTokenId, modelRepository, modelSetName, logCategory,
//   preprocessorFileName, primaryEncoderFileName, decoderFileName,
//   vocabularyFileName, jointFileName (optional), hasEncoderPrecisionVariants,
//   fp32EncoderFileName (optional).
// The given folder is expected to be the set's repository folder.

#include "Platform/CoreML/MLModel.hpp"
#include "RazeziRuzer/ASR/Parakeet/ParakeetVocabulary.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/AsrModelsError.hpp"
#include "RazeziRuzer/ASR/Parakeet/Vocabulary.hpp"
#include "RazeziRuzer/DownloadUtils.hpp"
#include "RazeziRuzer/Shared/AppLogger.hpp"
#include "RazeziRuzer/Shared/MLModelConfigurationUtils.hpp"

#include <concepts>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace razeziruzer {

template <typename Config>
concept ParakeetLanguageModelConfig = requires {
    { Config::blankTokenId } -> std::convertible_to<int>;
    { Config::modelRepository } -> std::convertible_to<Repo>;
    { Config::modelSetName } -> std::convertible_to<std::string>;
    { Config::logCategory } -> std::convertible_to<std::string>;
    { Config::preprocessorFileName } -> std::convertible_to<std::string>;
    { Config::primaryEncoderFileName } -> std::convertible_to<std::string>;
    { Config::decoderFileName } -> std::convertible_to<std::string>;
    { Config::vocabularyFileName } -> std::convertible_to<std::string>;
    { Config::jointFileName } -> std::convertible_to<std::optional<std::string>>;
    { Config::hasEncoderPrecisionVariants } -> std::convertible_to<bool>;
    { Config::fp32EncoderFileName } -> std::convertible_to<std::optional<std::string>>;
};

namespace ParakeetLanguageModelsSupport {
// Reads `location`; missing: modelNotFound("vocab.json", location); other
// shapes or broken JSON: loadingFailed with the parse message; a file larger
// than any vocabulary: platform::FileTooLargeError; JSON nested deeper than
// one: platform::JsonNestingError.
Vocabulary readVocabulary(const std::filesystem::path& location);
bool itemExists(const std::filesystem::path& path);
} // namespace ParakeetLanguageModelsSupport

template <ParakeetLanguageModelConfig Config>
struct ParakeetLanguageModels {
    using MLModel = platform::coreml::MLModel;
    using MLModelConfiguration = platform::coreml::MLModelConfiguration;

    MLModel preprocessor;
    MLModel encoder;
    MLModel decoder;
    std::optional<MLModel> joint;
    MLModelConfiguration configuration;
    Vocabulary vocabulary;
    int blankId;

    static MLModelConfiguration defaultConfiguration() {
        return MLModelConfigurationUtils::defaultConfiguration(platform::coreml::MLComputeUnits::cpuAndNeuralEngine);
    }

    static std::filesystem::path defaultCacheDirectory() {
        return MLModelConfigurationUtils::defaultModelsDirectory(Config::modelRepository);
    }

    static bool modelsExist(const std::filesystem::path& at) {
        using ParakeetLanguageModelsSupport::itemExists;
        std::vector<std::string> names{Config::preprocessorFileName, Config::decoderFileName};
        const std::optional<std::string> fp32 = Config::fp32EncoderFileName;
        if (Config::hasEncoderPrecisionVariants && fp32) {
            if (!itemExists(at / std::string(Config::primaryEncoderFileName)) && !itemExists(at / *fp32)) return false;
        } else {
            names.push_back(Config::primaryEncoderFileName);
        }
        if (const std::optional<std::string> joint = Config::jointFileName) names.push_back(*joint);
        for (const auto& name : names) {
            if (!itemExists(at / name)) return false;
        }
        return itemExists(at / std::string(Config::vocabularyFileName));
    }

    static std::filesystem::path download(const std::optional<std::filesystem::path>& to, bool useInt8Encoder,
                                          bool downloadBothEncoders, bool force,
                                          const DownloadUtils::ProgressHandler& progressHandler = {}) {
        const auto target = to.value_or(defaultCacheDirectory());
        logger().info("Preparing " + std::string(Config::modelSetName) + " models at: " + target.string());
        if (force) {
            if (ParakeetLanguageModelsSupport::itemExists(target)) std::filesystem::remove_all(target);
        } else if (modelsExist(target)) {
            logger().info(std::string(Config::modelSetName) + " models already present at: " + target.string());
            return target;
        }
        std::vector<std::string> names{Config::preprocessorFileName, Config::decoderFileName,
                                       encoderChoice(useInt8Encoder)};
        const std::optional<std::string> fp32 = Config::fp32EncoderFileName;
        if (Config::hasEncoderPrecisionVariants && downloadBothEncoders && fp32) {
            names.push_back(useInt8Encoder ? *fp32 : std::string(Config::primaryEncoderFileName));
        }
        if (const std::optional<std::string> joint = Config::jointFileName) names.push_back(*joint);
        DownloadUtils::loadModels(Config::modelRepository, names, target.parent_path(),
                                  platform::coreml::MLComputeUnits::cpuAndNeuralEngine, std::nullopt, progressHandler);
        logger().info("Successfully downloaded " + std::string(Config::modelSetName) + " models");
        return target;
    }

    static ParakeetLanguageModels load(const std::filesystem::path& from, bool useInt8Encoder,
                                       const std::optional<MLModelConfiguration>& configuration = std::nullopt,
                                       const DownloadUtils::ProgressHandler& progressHandler = {}) {
        const std::string setName = Config::modelSetName;
        logger().info("Loading " + setName + " models from: " + from.string());
        const auto used = configuration.value_or(defaultConfiguration());
        const auto encoderName = encoderChoice(useInt8Encoder);
        std::vector<std::string> names{Config::preprocessorFileName, encoderName, Config::decoderFileName};
        const std::optional<std::string> jointName = Config::jointFileName;
        if (jointName) names.push_back(*jointName);
        auto loaded = DownloadUtils::loadModels(Config::modelRepository, names, from.parent_path(), used.computeUnits,
                                                std::nullopt, progressHandler);
        const auto take = [&loaded](const std::string& name) -> std::optional<MLModel> {
            const auto found = loaded.find(name);
            if (found == loaded.end()) return std::nullopt;
            return found->second;
        };
        auto preprocessor = take(Config::preprocessorFileName);
        auto encoder = take(encoderName);
        auto decoder = take(Config::decoderFileName);
        if (!preprocessor || !encoder || !decoder) {
            throw AsrModelsError::loadingFailed("Failed to load " + setName +
                                                " models (preprocessor, encoder, or decoder missing)");
        }
        std::optional<MLModel> joint;
        if (jointName) {
            joint = take(*jointName);
            if (!joint) throw AsrModelsError::loadingFailed("Failed to load " + setName + " joint model");
        }
        logger().info("Loaded preprocessor, encoder (" + encoderLabel(useInt8Encoder) + "), decoder" +
                      (joint ? ", and joint" : ""));
        auto vocabulary = loadVocabulary(from);
        logger().info("Successfully loaded " + setName + " models with " + std::to_string(vocabulary.size()) +
                      " tokens");
        return {std::move(*preprocessor), std::move(*encoder), std::move(*decoder), std::move(joint), used,
                std::move(vocabulary), Config::blankTokenId};
    }

    static ParakeetLanguageModels downloadAndLoad(const std::optional<std::filesystem::path>& to, bool useInt8Encoder,
                                                  const std::optional<MLModelConfiguration>& configuration = std::nullopt,
                                                  const DownloadUtils::ProgressHandler& progressHandler = {}) {
        const auto folder = download(to, useInt8Encoder, false, false, progressHandler);
        return load(folder, useInt8Encoder, configuration, progressHandler);
    }

private:
    static AppLogger logger() { return AppLogger(std::string(Config::logCategory)); }

    static std::string encoderChoice(bool useInt8Encoder) {
        const std::optional<std::string> fp32 = Config::fp32EncoderFileName;
        if (!Config::hasEncoderPrecisionVariants || useInt8Encoder || !fp32) return Config::primaryEncoderFileName;
        return *fp32;
    }

    static std::string encoderLabel(bool useInt8Encoder) {
        if (!Config::hasEncoderPrecisionVariants) return "default";
        return useInt8Encoder ? "int8" : "fp32";
    }

    static Vocabulary loadVocabulary(const std::filesystem::path& from) {
        const auto location = from / std::string(Config::vocabularyFileName);
        auto vocabulary = ParakeetLanguageModelsSupport::readVocabulary(location);
        logger().info("Loaded " + std::string(Config::modelSetName) + " vocabulary with " +
                      std::to_string(vocabulary.size()) + " tokens from " + location.string());
        return vocabulary;
    }
};

} // namespace razeziruzer
