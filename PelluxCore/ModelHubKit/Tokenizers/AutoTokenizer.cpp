#include "PelluxCore/ModelHubKit/Tokenizers/AutoTokenizer.hpp"

#include "PelluxCore/ModelHubKit/Tokenizers/PreTrainedTokenizer.hpp"
#include "PelluxCore/ModelHubKit/Tokenizers/TokenizerFiles.hpp"

#include <nlohmann/json.hpp>


namespace modelhubkit {

std::unique_ptr<Tokenizer> AutoTokenizer::from(const std::filesystem::path& modelFolder, bool strict) {
    const nlohmann::json config = tokenizerfiles::readTokenizerConfig(modelFolder);
    const nlohmann::json data = tokenizerfiles::readTokenizerData(modelFolder);
    return std::make_unique<PreTrainedTokenizer>(config, data, strict);
}

std::unique_ptr<Tokenizer> AutoTokenizer::from(const nlohmann::json& tokenizerConfig, const nlohmann::json& tokenizerData,
                                               bool strict) {
    return std::make_unique<PreTrainedTokenizer>(tokenizerConfig, tokenizerData, strict);
}

std::optional<std::string> AutoTokenizer::tokenizerClassName(const nlohmann::json& tokenizerConfig) {
    if (!tokenizerConfig.is_object()) return std::nullopt;
    const auto entry = tokenizerConfig.find("tokenizer_class");
    if (entry == tokenizerConfig.end() || !entry->is_string()) return std::nullopt;
    std::string name = entry->get<std::string>();
    for (auto at = name.find("Fast"); at != std::string::npos; at = name.find("Fast", at)) name.erase(at, 4);
    return name;
}

} // namespace modelhubkit
