#include "PelluxCore/ModelHubKit/Tokenizers/TokenizingModel.hpp"

#include "PelluxCore/ModelHubKit/Tokenizers/BPEModel.hpp"
#include "PelluxCore/ModelHubKit/Tokenizers/TokenizerError.hpp"
#include "PelluxCore/ModelHubKit/Tokenizers/UnigramModel.hpp"
#include "PelluxCore/ModelHubKit/Tokenizers/WordPieceModel.hpp"

#include <nlohmann/json.hpp>

namespace modelhubkit {
namespace {

// Older files leave out "type"; the fields tell the models apart.
std::string inferredType(const nlohmann::json& model) {
    if (model.contains("merges")) return "BPE";
    const auto vocab = model.find("vocab");
    if (vocab != model.end() && vocab->is_array()) return "Unigram";
    if (model.contains("continuing_subword_prefix") || model.contains("max_input_chars_per_word")) return "WordPiece";
    return "BPE";
}

} // namespace

std::unique_ptr<TokenizingModel> makeTokenizingModel(const nlohmann::json& model) {
    if (!model.is_object()) {
        throw TokenizerError(TokenizerErrorKind::malformedTokenizer, "The tokenizer data has no \"model\" object");
    }
    const auto typeField = model.find("type");
    const std::string type = typeField != model.end() && typeField->is_string() ? typeField->get<std::string>()
                                                                                : inferredType(model);
    if (type == "BPE") return std::make_unique<BPEModel>(model);
    if (type == "WordPiece") return std::make_unique<WordPieceModel>(model);
    if (type == "Unigram") return std::make_unique<UnigramModel>(model);
    throw TokenizerError(TokenizerErrorKind::unsupportedComponent, "Unsupported tokenizer model type \"" + type + "\"");
}

} // namespace modelhubkit
