#include "PelluxCore/TokenizerWrapper.hpp"

#include <stdexcept>

namespace pelluxcore {

TokenizerWrapper::TokenizerWrapper(std::shared_ptr<const modelhubkit::Tokenizer> impl) : impl(std::move(impl)) {
    if (!this->impl) throw std::invalid_argument("TokenizerWrapper needs a tokenizer");
}

std::vector<std::string> TokenizerWrapper::tokenize(std::string_view text) const { return impl->tokenize(text); }

std::vector<int> TokenizerWrapper::encode(std::string_view text) const { return impl->encode(text); }

std::vector<int> TokenizerWrapper::encode(std::string_view text, bool addSpecialTokens) const {
    return impl->encode(text, addSpecialTokens);
}

std::string TokenizerWrapper::decode(std::span<const int> tokens) const { return impl->decode(tokens); }

std::string TokenizerWrapper::decode(std::span<const int> tokens, bool skipSpecialTokens) const {
    return impl->decode(tokens, skipSpecialTokens);
}

std::optional<int> TokenizerWrapper::convertTokenToId(std::string_view token) const {
    return impl->convertTokenToId(token);
}

std::vector<std::optional<int>> TokenizerWrapper::convertTokensToIds(std::span<const std::string> tokens) const {
    return impl->convertTokensToIds(tokens);
}

std::optional<std::string> TokenizerWrapper::convertIdToToken(int id) const { return impl->convertIdToToken(id); }

std::vector<std::optional<std::string>> TokenizerWrapper::convertIdsToTokens(std::span<const int> ids) const {
    return impl->convertIdsToTokens(ids);
}

std::optional<std::string> TokenizerWrapper::bosToken() const { return impl->bosToken(); }
std::optional<int> TokenizerWrapper::bosTokenId() const { return impl->bosTokenId(); }
std::optional<std::string> TokenizerWrapper::eosToken() const { return impl->eosToken(); }
std::optional<int> TokenizerWrapper::eosTokenId() const { return impl->eosTokenId(); }
std::optional<std::string> TokenizerWrapper::unknownToken() const { return impl->unknownToken(); }
std::optional<int> TokenizerWrapper::unknownTokenId() const { return impl->unknownTokenId(); }

} // namespace pelluxcore
