#include "PelluxCore/ModelHubKit/Tokenizers/PreTrainedTokenizer.hpp"

#include "PelluxCore/ModelHubKit/Tokenizers/JsonFields.hpp"
#include "PelluxCore/ModelHubKit/Tokenizers/TokenizerError.hpp"
#include "PelluxCore/ModelHubKit/Tokenizers/Utf8.hpp"

#include <nlohmann/json.hpp>

namespace modelhubkit {
namespace {

const nlohmann::json& member(const nlohmann::json& object, const char* key) {
    static const nlohmann::json null;
    const auto found = object.find(key);
    return found == object.end() ? null : *found;
}

// A special token of "tokenizer_config.json": its text, or an object holding it as "content".
std::optional<std::string> configToken(const nlohmann::json& config, const char* key) {
    const auto& value = member(config, key);
    if (value.is_string()) return value.get<std::string>();
    if (value.is_object()) return json::optionalString(value, "content");
    return std::nullopt;
}

AddedToken addedTokenFrom(const nlohmann::json& object) {
    return AddedToken{
        object.at("content").get<std::string>(),
        json::tokenId(object.at("id")),
        json::valueOr(object, "special", false),
        json::valueOr(object, "single_word", false),
        json::valueOr(object, "lstrip", false),
        json::valueOr(object, "rstrip", false),
        json::valueOr(object, "normalized", false),
    };
}

} // namespace

PreTrainedTokenizer::PreTrainedTokenizer(const nlohmann::json& tokenizerConfig, const nlohmann::json& tokenizerData,
                                         bool strict) {
    if (!tokenizerData.is_object()) {
        throw TokenizerError(TokenizerErrorKind::malformedTokenizer, "The tokenizer data is not a JSON object");
    }
    try {
        model_ = makeTokenizingModel(member(tokenizerData, "model"));
        normalizer_ = makeNormalizer(member(tokenizerData, "normalizer"), strict);
        preTokenizer_ = makePreTokenizer(member(tokenizerData, "pre_tokenizer"), strict);
        postProcessor_ = makePostProcessor(member(tokenizerData, "post_processor"), strict);
        decoder_ = makeDecoder(member(tokenizerData, "decoder"), strict);
        readAddedTokens(member(tokenizerData, "added_tokens"));
        readSpecialTokens(tokenizerConfig.is_object() ? tokenizerConfig : nlohmann::json::object());
    } catch (const nlohmann::json::exception& error) {
        throw TokenizerError(TokenizerErrorKind::malformedTokenizer, std::string("Malformed tokenizer data: ") + error.what());
    }
}

void PreTrainedTokenizer::readAddedTokens(const nlohmann::json& addedTokens) {
    if (addedTokens.is_null()) return;
    for (const auto& object : addedTokens) {
        const AddedToken& token = addedTokens_.emplace_back(addedTokenFrom(object));
        addedByContent_.emplace(token.content, &token);
        addedById_.emplace(token.id, &token);
        if (token.special) specialIds_.insert(token.id);
        (token.normalized && normalizer_ ? normalizedMatcher_ : rawMatcher_).add(token);
    }
}

void PreTrainedTokenizer::readSpecialTokens(const nlohmann::json& tokenizerConfig) {
    bosToken_ = configToken(tokenizerConfig, "bos_token");
    eosToken_ = configToken(tokenizerConfig, "eos_token");
    unknownToken_ = tokenizerConfig.contains("unk_token") ? configToken(tokenizerConfig, "unk_token") : model_->unknownToken();
    for (const auto& token : {bosToken_, eosToken_, unknownToken_, configToken(tokenizerConfig, "pad_token")}) {
        if (const auto id = idOf(token)) specialIds_.insert(*id);
    }
}

std::optional<int> PreTrainedTokenizer::idOf(const std::optional<std::string>& token) const {
    if (!token) return std::nullopt;
    return convertTokenToId(*token);
}

std::optional<int> PreTrainedTokenizer::convertTokenToId(std::string_view token) const {
    if (const auto added = addedByContent_.find(token); added != addedByContent_.end()) return added->second->id;
    return model_->vocabulary().id(token);
}

std::optional<std::string> PreTrainedTokenizer::convertIdToToken(int id) const {
    if (const auto added = addedById_.find(id); added != addedById_.end()) return added->second->content;
    if (const std::string* token = model_->vocabulary().token(id)) return *token;
    return std::nullopt;
}

void PreTrainedTokenizer::encodeSection(std::string_view text, bool atTextStart, std::vector<int>& ids) const {
    std::string normalized = normalizer_ ? normalizer_->normalize(std::string(text)) : std::string();
    const std::string_view source = normalizer_ ? std::string_view(normalized) : text;
    std::vector<std::string> words;
    for (const auto& segment : normalizedMatcher_.split(source)) {
        if (segment.token) {
            ids.push_back(segment.token->id);
            continue;
        }
        const bool segmentAtStart = atTextStart && segment.text.data() == source.data();
        words.clear();
        if (preTokenizer_) preTokenizer_->split(segment.text, segmentAtStart, words);
        else words.emplace_back(segment.text);
        for (const auto& word : words) model_->tokenize(word, ids);
    }
}

std::vector<int> PreTrainedTokenizer::encode(std::string_view text, bool addSpecialTokens) const {
    std::vector<int> ids;
    for (const auto& segment : rawMatcher_.split(text)) {
        if (segment.token) ids.push_back(segment.token->id);
        else encodeSection(segment.text, segment.text.data() == text.data(), ids);
    }
    if (addSpecialTokens && postProcessor_) ids = postProcessor_->process(std::move(ids));
    return ids;
}

std::vector<std::string> PreTrainedTokenizer::tokenize(std::string_view text) const {
    std::vector<std::string> tokens;
    for (const int id : encode(text, false)) {
        if (auto token = convertIdToToken(id)) tokens.push_back(std::move(*token));
    }
    return tokens;
}

void PreTrainedTokenizer::appendDecoded(std::vector<std::string>& run, std::string& text) const {
    if (run.empty()) return;
    std::string bytes;
    for (const auto& piece : decoder_ ? decoder_->decodeChain(std::move(run)) : std::move(run)) bytes += piece;
    text += utf8::makeValid(bytes);
    run.clear();
}

std::string PreTrainedTokenizer::decode(std::span<const int> tokens, bool skipSpecialTokens) const {
    std::string text;
    std::vector<std::string> run; // model tokens decoded together, so that characters split across tokens join up
    for (const int id : tokens) {
        if (skipSpecialTokens && specialIds_.contains(id)) continue;
        if (const auto added = addedById_.find(id); added != addedById_.end()) {
            appendDecoded(run, text);
            text += added->second->content;
        } else if (const std::string* token = model_->vocabulary().token(id)) {
            run.push_back(*token);
        }
    }
    appendDecoded(run, text);
    return text;
}

} // namespace modelhubkit
