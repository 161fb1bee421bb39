#include "PelluxCore/ModelHubKit/Tokenizers/TokenizerFiles.hpp"

#include "PelluxCore/ModelHubKit/Tokenizers/TokenizerError.hpp"
#include "Platform/Core/BoundedJson.hpp"

#include <fstream>
#include <sstream>

namespace modelhubkit::tokenizerfiles {

std::optional<nlohmann::json> readJsonFile(const std::filesystem::path& file) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error)) return std::nullopt;
    std::ifstream stream(file, std::ios::binary);
    std::ostringstream contents;
    if (!stream || !(contents << stream.rdbuf())) {
        throw TokenizerError(TokenizerErrorKind::malformedFile, "Cannot read " + file.string());
    }
    try {
        return platform::parseBoundedJson(contents.str());
    } catch (const nlohmann::json::parse_error& parseError) {
        throw TokenizerError(TokenizerErrorKind::malformedFile,
                             "Cannot parse " + file.string() + " as JSON: " + parseError.what());
    } catch (const platform::JsonNestingError& nesting) {
        throw TokenizerError(TokenizerErrorKind::malformedFile, "Cannot read " + file.string() + ": " + nesting.what());
    }
}

nlohmann::json readTokenizerConfig(const std::filesystem::path& folder) {
    auto config = readJsonFile(folder / configFileName);
    if (!config) {
        throw TokenizerError(TokenizerErrorKind::missingConfig,
                             "No tokenizer configuration (" + std::string(configFileName) + ") in " + folder.string());
    }
    return std::move(*config);
}

nlohmann::json readTokenizerData(const std::filesystem::path& folder) {
    auto data = readJsonFile(folder / dataFileName);
    if (!data) {
        throw TokenizerError(TokenizerErrorKind::missingTokenizerData,
                             "No tokenizer data (" + std::string(dataFileName) + ") in " + folder.string());
    }
    return std::move(*data);
}

} // namespace modelhubkit::tokenizerfiles
