#pragma once
// Builds the tokenizer a model's tokenizer files describe, from a local
// folder (a hub snapshot gives one) or from the parsed files.

#include "PelluxCore/ModelHubKit/Tokenizers/Tokenizer.hpp"

#include <nlohmann/json_fwd.hpp>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace modelhubkit {

class AutoTokenizer {
public:
    AutoTokenizer() = delete;

    // The tokenizer of the folder's "tokenizer_config.json" and "tokenizer.json",
    // built as the generic tokenizer whatever class the configuration names.
    // `strict`: a component type we do not build is an error rather than left
    // out. Throws TokenizerError: missingConfig, then missingTokenizerData,
    // malformedFile, malformedTokenizer or unsupportedComponent.
    static std::unique_ptr<Tokenizer> from(const std::filesystem::path& modelFolder, bool strict = true);

    // The tokenizer of already parsed files. Every tokenizer class is described
    // completely by its "tokenizer.json", so whatever class the configuration
    // names (see tokenizerClassName) the generic tokenizer serves it.
    static std::unique_ptr<Tokenizer> from(const nlohmann::json& tokenizerConfig, const nlohmann::json& tokenizerData,
                                           bool strict = true);

    // The configuration's "tokenizer_class" with every "Fast" removed
    // ("WhisperTokenizerFast" gives "WhisperTokenizer"); absent when it is
    // missing or not text.
    static std::optional<std::string> tokenizerClassName(const nlohmann::json& tokenizerConfig);
};

} // namespace modelhubkit
