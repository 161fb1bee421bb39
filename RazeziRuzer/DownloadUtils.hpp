#pragma once
// The speech package's model downloader: whole hub repositories into the
// local model cache, model loading with one cache recovery, single folders and
// single files, and the offline switch that every download obeys.

#include "Platform/CoreML/MLComputeUnits.hpp"
#include "Platform/CoreML/MLModel.hpp"
#include "Platform/Http/HttpResponse.hpp"
#include "RazeziRuzer/DownloadErrors.hpp"
#include "RazeziRuzer/DownloadProgress.hpp"
#include "RazeziRuzer/HubSession.hpp"
#include "RazeziRuzer/ModelNameSet.hpp"
#include "RazeziRuzer/Repo.hpp"

#include <atomic>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

namespace razeziruzer::DownloadUtils {

// When on, every operation that would reach the network fails at once with
// OfflineError::networkDisabled.
inline std::atomic<bool> enforceOffline{false};

// Brings the repository's required files (and additionalModelNames) into
// to/folderName(repo); on return every required name exists there. Each
// fetched file is checked against the listed size and digest, and the files
// that match are recorded in the folder's DownloadRecord.
void downloadRepo(Repo repo, const std::filesystem::path& to, const std::optional<std::string>& variant = std::nullopt,
                  const ModelNameSet& additionalModelNames = {}, const ProgressHandler& progressHandler = {},
                  std::stop_token stop = {});

using LoadedModels = std::map<std::string, platform::coreml::MLModel>;

// Loads the named models of the repository from directory/folderName(repo),
// downloading what is missing. When a load fails for a reason that may lie in
// the files, the files a verified download recorded that no longer match the
// hub's listing are deleted, whatever is missing is fetched, and the load is
// tried once more; when nothing is missing or damaged the files are kept and
// the failure is returned. Nothing unrecorded is ever deleted.
LoadedModels loadModels(Repo repo, const std::vector<std::string>& modelNames, const std::filesystem::path& directory,
                        platform::coreml::MLComputeUnits computeUnits,
                        const std::optional<std::string>& variant = std::nullopt,
                        const ProgressHandler& progressHandler = {}, std::stop_token stop = {});

// Both never fail.
void clearModelCache(Repo forRepo, const std::filesystem::path& directory);
void clearAllModelCaches();

using SkipPredicate = std::function<bool(std::string_view repositoryPath)>;

// Mirrors one folder of the repository, subfolders included, to
// to/<repository path of each file>.
void downloadSubdirectory(Repo repo, std::string_view subdirectory, const std::filesystem::path& to,
                          const ProgressHandler& progressHandler = {}, const SkipPredicate& shouldSkip = {},
                          std::stop_token stop = {});

// One file into memory, retrying every failure with exponential back-off.
std::string fetchHuggingFaceFile(std::string_view from, std::string_view description, int maxAttempts,
                                 double minBackoff, std::stop_token stop = {});

// One authorised GET through the shared session; the status is not examined.
platform::HttpResponse fetchWithAuth(std::string_view from, std::stop_token stop = {});

} // namespace razeziruzer::DownloadUtils
