#pragma once
// Failures of the Parakeet model loaders.

#include "Platform/Core/Error.hpp"

#include <filesystem>
#include <optional>
#include <string>

namespace razeziruzer {

enum class AsrModelsErrorKind { modelNotFound, downloadFailed, loadingFailed, modelCompilationFailed };

class AsrModelsError : public platform::ErrorOf<AsrModelsErrorKind> {
public:
    static AsrModelsError modelNotFound(const std::string& name, const std::filesystem::path& location);
    static AsrModelsError downloadFailed(const std::string& message);
    static AsrModelsError loadingFailed(const std::string& message);
    static AsrModelsError modelCompilationFailed(const std::string& message);

    std::optional<std::string> errorDescription() const { return description(); }

private:
    AsrModelsError(AsrModelsErrorKind kind, const std::string& description) : ErrorOf(kind, description) {}
};

} // namespace razeziruzer
