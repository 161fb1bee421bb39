#include "RazeziRuzer/DownloadUtils.hpp"
#include "RazeziRuzer/DownloadUtilsInternal.hpp"
#include "RazeziRuzer/DownloadRecord.hpp"
#include "RazeziRuzer/ModelNames.hpp"

#include "Platform/Core/Error.hpp"
#include "Platform/CoreML/MLModelError.hpp"
#include "Platform/Files/FileError.hpp"
#include "Platform/Files/XdgDirectories.hpp"
#include "Platform/Http/HttpError.hpp"
#include "RazeziRuzer/Shared/MLModelConfigurationUtils.hpp"
#include "RazeziRuzer/Shared/SystemInfo.hpp"

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace razeziruzer::DownloadUtils {
namespace {

namespace fs = std::filesystem;
using platform::files::FileError;
using platform::files::FileErrorKind;

// Unlike itemExists, follows symbolic links: a dangling one counts as missing.
bool targetExists(const fs::path& path) {
    std::error_code error;
    return fs::exists(fs::status(path, error));
}

std::string quotedList(const std::vector<std::string>& names) {
    std::string text = "[";
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) text += ", ";
        text += "\"" + names[i] + "\"";
    }
    return text + "]";
}

std::string formattedMilliseconds(double milliseconds) {
    char text[64];
    std::snprintf(text, sizeof text, "%.2f", milliseconds);
    return text;
}

// Failures that say nothing about the cached files: the model is intact but
// this platform has no runtime for it, or the hub could not be reached.
// Deleting the cache for them would only throw away good files.
bool leavesCacheIntact(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const platform::coreml::MLModelError& failure) {
        return failure.kind() == platform::coreml::MLModelErrorKind::noModelRuntime;
    } catch (const platform::HttpError& failure) {
        return failure.kind() == platform::HttpErrorKind::cancelled || isRetryableDownloadError(failure);
    } catch (const HuggingFaceDownloadError& failure) {
        return isRetryableDownloadError(failure);
    } catch (...) {
        return false;
    }
}

void checkModelBundle(const fs::path& bundle, const std::string& name) {
    std::error_code error;
    const auto status = fs::status(bundle, error);
    if (!fs::exists(status)) throw FileError(FileErrorKind::notFound, "Model file not found: " + name);
    if (!fs::is_directory(status)) {
        throw FileError(FileErrorKind::ioFailure, "Model path is not a directory: " + name);
    }
    if (!targetExists(bundle / "coremldata.bin")) {
        logger().error("Missing coremldata.bin in " + name);
        throw FileError(FileErrorKind::ioFailure, "Missing coremldata.bin in model: " + name);
    }
}

ModelNameSet requiredNames(Repo repo, const std::optional<std::string>& variant) {
    return ModelNames::getRequiredModelNames(repo,
                                             variant ? std::optional<std::string_view>(*variant) : std::nullopt);
}

ModelNameSet additionalNames(const ModelNameSet& required, const std::vector<std::string>& modelNames) {
    ModelNameSet additional;
    for (const auto& name : modelNames) {
        if (!required.contains(name)) additional.insert(name);
    }
    return additional;
}

// Failures that come from files missing in the cache rather than from what
// the files hold: fetching the missing ones may mend them.
bool comesFromMissingFiles(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const FileError&) {
        return true;
    } catch (const platform::coreml::MLModelError& failure) {
        return failure.kind() == platform::coreml::MLModelErrorKind::modelNotFound;
    } catch (...) {
        return false;
    }
}

void ensureFilesPresent(Repo repo, const fs::path& directory, const fs::path& repoFolder,
                        const std::optional<std::string>& variant, const std::vector<std::string>& modelNames,
                        const ProgressHandler& progressHandler, std::stop_token stop) {
    const auto required = requiredNames(repo, variant);
    const auto additional = additionalNames(required, modelNames);
    std::vector<std::string> missing;
    for (const ModelNameSet* set : {&required, static_cast<const ModelNameSet*>(&additional)}) {
        for (const auto& name : *set) {
            if (!targetExists(repoFolder / name)) missing.push_back(name);
        }
    }
    if (missing.empty()) {
        logger().info("Found " + folderName(repo) + " locally, no download needed");
        if (progressHandler) progressHandler({0.5, DownloadPhase::downloading(0, 0)});
        return;
    }
    if (enforceOffline) {
        std::sort(missing.begin(), missing.end());
        logger().error("Offline mode: required models missing at " + repoFolder.string() + ": " + quotedList(missing));
        throw OfflineError::modelMissing(folderName(repo), std::move(missing));
    }
    logger().info("Models not found in cache at " + repoFolder.string());
    downloadRepo(repo, directory, variant, additional, progressHandler, std::move(stop));
}

LoadedModels loadModelsOnce(Repo repo, const std::vector<std::string>& modelNames, const fs::path& directory,
                            platform::coreml::MLComputeUnits computeUnits, const std::optional<std::string>& variant,
                            const ProgressHandler& progressHandler, std::stop_token stop) {
    fs::create_directories(directory);
    const auto repoFolder = directory / folderName(repo);
    ensureFilesPresent(repo, directory, repoFolder, variant, modelNames, progressHandler, std::move(stop));

    const auto configuration = MLModelConfigurationUtils::defaultConfiguration(computeUnits);
    LoadedModels models;
    const auto count = modelNames.size();
    for (std::size_t i = 0; i < count; ++i) {
        const auto& name = modelNames[i];
        const auto bundle = repoFolder / name;
        checkModelBundle(bundle, name);
        if (progressHandler) {
            progressHandler({0.5 + 0.5 * static_cast<double>(i) / static_cast<double>(count),
                             DownloadPhase::compiling(name)});
        }
        const auto started = std::chrono::steady_clock::now();
        auto model = platform::coreml::MLModel::load(bundle, configuration);
        const std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - started;
        models.insert_or_assign(name, std::move(model));
        logger().info("Compiled model " + name + " in " + formattedMilliseconds(elapsed.count()) +
                      " ms :: " + SystemInfo::summary());
    }
    if (progressHandler) progressHandler({1.0, DownloadPhase::compiling("")});
    return models;
}

// Deletes the files a verified download left here that no longer match the
// hub's listing; the names of those deleted (or already missing).
std::vector<std::string> deleteDamagedRecordedFiles(const fs::path& repoFolder,
                                                    const std::optional<DownloadRecord>& record) {
    if (!record) return {};
    auto damaged = record->damagedFiles(repoFolder);
    for (const auto& name : damaged) {
        std::error_code error;
        fs::remove_all(repoFolder / name, error);
        if (error) {
            logger().warning("Failed to delete damaged file " + name + ": " + error.message());
        } else {
            logger().info("Deleted " + name + ": it no longer matches the downloaded copy");
        }
    }
    return damaged;
}

} // namespace

LoadedModels loadModels(Repo repo, const std::vector<std::string>& modelNames, const fs::path& directory,
                        platform::coreml::MLComputeUnits computeUnits, const std::optional<std::string>& variant,
                        const ProgressHandler& progressHandler, std::stop_token stop) {
    SystemInfo::logOnce(logger());
    std::exception_ptr firstFailure;
    try {
        return loadModelsOnce(repo, modelNames, directory, computeUnits, variant, progressHandler, stop);
    } catch (...) {
        firstFailure = std::current_exception();
    }
    const auto description = platform::describeError(firstFailure, "unknown error");
    if (enforceOffline) {
        logger().warning("Offline mode: load failed and re-download blocked. " + description);
        std::rethrow_exception(firstFailure);
    }
    logger().warning("First load failed: " + description);
    if (leavesCacheIntact(firstFailure)) {
        logger().info("Keeping the cache: the failure does not come from the cached files");
        std::rethrow_exception(firstFailure);
    }
    // Only files a verified download vouches for are ever deleted; intact
    // files the runtime cannot read stay, and so does a folder placed by hand.
    const auto repoFolder = directory / folderName(repo);
    const auto record = DownloadRecord::read(repoFolder);
    const auto damaged = deleteDamagedRecordedFiles(repoFolder, record);
    if (damaged.empty() && !comesFromMissingFiles(firstFailure)) {
        logger().error("Keeping the model files at " + repoFolder.string() + ": " +
                       (record ? "they match the downloaded copy" : "no download record vouches for them") +
                       ", but they could not be loaded: " + description);
        std::rethrow_exception(firstFailure);
    }
    logger().info("Fetching the missing model files again…");
    const auto required = requiredNames(repo, variant);
    downloadRepo(repo, directory, variant, additionalNames(required, modelNames), progressHandler, stop);
    return loadModelsOnce(repo, modelNames, directory, computeUnits, variant, progressHandler, std::move(stop));
}

void clearModelCache(Repo forRepo, const fs::path& directory) {
    std::error_code ignored;
    fs::remove_all(directory / folderName(forRepo), ignored);
}

void clearAllModelCaches() {
    std::error_code ignored;
    fs::remove_all(MLModelConfigurationUtils::defaultModelsDirectory(), ignored);
    fs::remove_all(platform::files::homeDirectory() / ".cache" / "razeziruzer", ignored);
    logger().info("All model caches cleared");
}

} // namespace razeziruzer::DownloadUtils
