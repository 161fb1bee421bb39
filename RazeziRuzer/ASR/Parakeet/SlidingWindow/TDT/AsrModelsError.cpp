#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/AsrModelsError.hpp"

namespace razeziruzer {

AsrModelsError AsrModelsError::modelNotFound(const std::string& name, const std::filesystem::path& location) {
    return {AsrModelsErrorKind::modelNotFound, "ASR model '" + name + "' not found at: " + location.string()};
}

AsrModelsError AsrModelsError::downloadFailed(const std::string& message) {
    return {AsrModelsErrorKind::downloadFailed, "Failed to download ASR models: " + message};
}

AsrModelsError AsrModelsError::loadingFailed(const std::string& message) {
    return {AsrModelsErrorKind::loadingFailed, "Failed to load ASR models: " + message};
}

AsrModelsError AsrModelsError::modelCompilationFailed(const std::string& message) {
    return {AsrModelsErrorKind::modelCompilationFailed,
            "Failed to compile ASR models: " + message + ". Try deleting the models and re-downloading."};
}

} // namespace razeziruzer
