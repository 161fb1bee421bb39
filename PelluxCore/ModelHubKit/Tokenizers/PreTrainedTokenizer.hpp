#pragma once
// The tokenizer described by a "tokenizer.json" (model, normalizer,
// pre-tokenizer, post-processor, decoder and added tokens) together with the
// special tokens named in "tokenizer_config.json".

#include "PelluxCore/ModelHubKit/Tokenizers/AddedToken.hpp"
#include "PelluxCore/ModelHubKit/Tokenizers/AddedTokenMatcher.hpp"
#include "PelluxCore/ModelHubKit/Tokenizers/Decoder.hpp"
#include "PelluxCore/ModelHubKit/Tokenizers/Normalizer.hpp"
#include "PelluxCore/ModelHubKit/Tokenizers/PostProcessor.hpp"
#include "PelluxCore/ModelHubKit/Tokenizers/PreTokenizer.hpp"
#include "PelluxCore/ModelHubKit/Tokenizers/Tokenizer.hpp"
#include "PelluxCore/ModelHubKit/Tokenizers/TokenizingModel.hpp"

#include <nlohmann/json_fwd.hpp>

#include <deque>
#include <memory>
#include <unordered_map>
#include <unordered_set>

namespace modelhubkit {

class PreTrainedTokenizer final : public Tokenizer {
public:
    // `strict`: a component type we do not build is an error rather than left
    // out. Throws TokenizerError when the data does not describe a usable tokenizer.
    PreTrainedTokenizer(const nlohmann::json& tokenizerConfig, const nlohmann::json& tokenizerData, bool strict);
    // The matchers point into the added tokens; the tokenizer stays where it was built.
    PreTrainedTokenizer(const PreTrainedTokenizer&) = delete;
    PreTrainedTokenizer& operator=(const PreTrainedTokenizer&) = delete;

    std::vector<std::string> tokenize(std::string_view text) const override;
    using Tokenizer::encode;
    std::vector<int> encode(std::string_view text, bool addSpecialTokens) const override;
    using Tokenizer::decode;
    std::string decode(std::span<const int> tokens, bool skipSpecialTokens) const override;

    std::optional<int> convertTokenToId(std::string_view token) const override;
    std::optional<std::string> convertIdToToken(int id) const override;

    std::optional<std::string> bosToken() const override { return bosToken_; }
    std::optional<int> bosTokenId() const override { return idOf(bosToken_); }
    std::optional<std::string> eosToken() const override { return eosToken_; }
    std::optional<int> eosTokenId() const override { return idOf(eosToken_); }
    std::optional<std::string> unknownToken() const override { return unknownToken_; }
    std::optional<int> unknownTokenId() const override { return idOf(unknownToken_); }

private:
    void readAddedTokens(const nlohmann::json& addedTokens);
    void readSpecialTokens(const nlohmann::json& tokenizerConfig);
    std::optional<int> idOf(const std::optional<std::string>& token) const;
    void encodeSection(std::string_view text, bool atTextStart, std::vector<int>& ids) const;
    void appendDecoded(std::vector<std::string>& run, std::string& text) const;

    std::unique_ptr<TokenizingModel> model_;
    std::unique_ptr<Normalizer> normalizer_;
    std::unique_ptr<PreTokenizer> preTokenizer_;
    std::unique_ptr<PostProcessor> postProcessor_;
    std::unique_ptr<Decoder> decoder_;

    std::deque<AddedToken> addedTokens_; // stable addresses for the matchers and maps
    std::unordered_map<std::string_view, const AddedToken*> addedByContent_; // views of the contents above
    std::unordered_map<int, const AddedToken*> addedById_;
    AddedTokenMatcher rawMatcher_;        // tokens matched before normalization
    AddedTokenMatcher normalizedMatcher_; // tokens matched in normalized text
    std::unordered_set<int> specialIds_;

    std::optional<std::string> bosToken_;
    std::optional<std::string> eosToken_;
    std::optional<std::string> unknownToken_;
};

} // namespace modelhubkit
