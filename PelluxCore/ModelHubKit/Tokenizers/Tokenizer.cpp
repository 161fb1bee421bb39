#include "PelluxCore/ModelHubKit/Tokenizers/Tokenizer.hpp"

namespace modelhubkit {

std::vector<std::optional<int>> Tokenizer::convertTokensToIds(std::span<const std::string> tokens) const {
    std::vector<std::optional<int>> ids;
    ids.reserve(tokens.size());
    for (const auto& token : tokens) ids.push_back(convertTokenToId(token));
    return ids;
}

std::vector<std::optional<std::string>> Tokenizer::convertIdsToTokens(std::span<const int> ids) const {
    std::vector<std::optional<std::string>> tokens;
    tokens.reserve(ids.size());
    for (const int id : ids) tokens.push_back(convertIdToToken(id));
    return tokens;
}

} // namespace modelhubkit
