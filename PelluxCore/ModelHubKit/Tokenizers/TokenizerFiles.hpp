#pragma once
// Reading the two files a tokenizer is built from out of a local model folder:
// "tokenizer_config.json" (tokenizer class and special tokens) and "tokenizer.json".

#include <nlohmann/json.hpp>

#include <filesystem>
#include <optional>

namespace modelhubkit::tokenizerfiles {

inline constexpr const char* configFileName = "tokenizer_config.json";
inline constexpr const char* dataFileName = "tokenizer.json";

// Absent when the folder has no such file. Throws TokenizerError
// (malformedFile) for a file that cannot be read or is not JSON.
std::optional<nlohmann::json> readJsonFile(const std::filesystem::path& file);

// Throws TokenizerError: missingConfig when the folder has no configuration
// file, malformedFile when it is not JSON.
nlohmann::json readTokenizerConfig(const std::filesystem::path& folder);

// Throws TokenizerError: missingTokenizerData when the folder has no
// "tokenizer.json", malformedFile when it is not JSON.
nlohmann::json readTokenizerData(const std::filesystem::path& folder);

} // namespace modelhubkit::tokenizerfiles
