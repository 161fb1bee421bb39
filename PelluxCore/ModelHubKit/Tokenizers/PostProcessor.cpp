#include "PelluxCore/ModelHubKit/Tokenizers/JsonFields.hpp"
#include "PelluxCore/ModelHubKit/Tokenizers/PostProcessor.hpp"

#include "PelluxCore/ModelHubKit/Tokenizers/ComponentSupport.hpp"

#include <sstream>
#include <string>
#include <variant>

namespace modelhubkit {
namespace {

// The sequence being encoded, or the ids of one special token.
using TemplateItem = std::variant<std::monostate, std::vector<int>>;

class Template final : public PostProcessor {
public:
    explicit Template(std::vector<TemplateItem> items) : items_(std::move(items)) {}

    std::vector<int> process(std::vector<int> ids) const override {
        std::vector<int> out;
        out.reserve(ids.size() + items_.size());
        for (const auto& item : items_) {
            if (const auto* special = std::get_if<std::vector<int>>(&item)) out.insert(out.end(), special->begin(), special->end());
            else out.insert(out.end(), ids.begin(), ids.end());
        }
        return out;
    }

private:
    std::vector<TemplateItem> items_;
};

std::vector<int> specialTokenIds(const nlohmann::json& specialTokens, const std::string& name) {
    const auto found = specialTokens.find(name);
    if (found == specialTokens.end()) {
        throw TokenizerError(TokenizerErrorKind::malformedTokenizer,
                             "Template names the special token \"" + name + "\" but does not define it");
    }
    return found->at("ids").get<std::vector<int>>();
}

// "<s>:1" names the token "<s>" with type id 1; type ids do not change the ids.
std::string withoutTypeId(const std::string& piece) {
    const auto colon = piece.rfind(':');
    if (colon == std::string::npos || colon + 1 == piece.size()) return piece;
    const bool digits = piece.find_first_not_of("0123456789", colon + 1) == std::string::npos;
    return digits ? piece.substr(0, colon) : piece;
}

// The template of single sequences, as a list of items or as text such as "<s> $A </s>".
std::vector<TemplateItem> singleTemplate(const nlohmann::json& object) {
    const auto& single = object.at("single");
    const auto specialTokens = object.value("special_tokens", nlohmann::json::object());
    std::vector<TemplateItem> items;
    if (single.is_string()) {
        std::istringstream pieces(single.get<std::string>());
        for (std::string piece; pieces >> piece;) {
            if (piece.starts_with('$')) items.emplace_back(std::monostate{});
            else items.emplace_back(specialTokenIds(specialTokens, withoutTypeId(piece)));
        }
        return items;
    }
    for (const auto& item : single) {
        if (item.contains("Sequence")) items.emplace_back(std::monostate{});
        else items.emplace_back(specialTokenIds(specialTokens, item.at("SpecialToken").at("id").get<std::string>()));
    }
    return items;
}

std::unique_ptr<PostProcessor> around(const nlohmann::json& object) {
    std::vector<TemplateItem> items;
    items.emplace_back(std::vector<int>{json::tokenId(object.at("cls").at(1))});
    items.emplace_back(std::monostate{});
    items.emplace_back(std::vector<int>{json::tokenId(object.at("sep").at(1))});
    return std::make_unique<Template>(std::move(items));
}

class Sequence final : public PostProcessor {
public:
    explicit Sequence(std::vector<std::unique_ptr<PostProcessor>> steps) : steps_(std::move(steps)) {}

    std::vector<int> process(std::vector<int> ids) const override {
        for (const auto& step : steps_) ids = step->process(std::move(ids));
        return ids;
    }

private:
    std::vector<std::unique_ptr<PostProcessor>> steps_;
};

class Unchanged final : public PostProcessor {
public:
    std::vector<int> process(std::vector<int> ids) const override { return ids; }
};

} // namespace

std::unique_ptr<PostProcessor> makePostProcessor(const nlohmann::json& postProcessor, bool strict, int depth) {
    if (postProcessor.is_null()) return nullptr;
    const std::string type = componentType(postProcessor, "post-processor");
    if (type == "TemplateProcessing") return std::make_unique<Template>(singleTemplate(postProcessor));
    if (type == "BertProcessing" || type == "RobertaProcessing") return around(postProcessor);
    // Byte-level post-processing only adjusts character offsets, which we do not report.
    if (type == "ByteLevel") return std::make_unique<Unchanged>();
    if (type == "Sequence") {
        checkSequenceNesting(depth, "post-processor");
        std::vector<std::unique_ptr<PostProcessor>> steps;
        for (const auto& step : postProcessor.at("processors")) {
            if (auto made = makePostProcessor(step, strict, depth + 1)) steps.push_back(std::move(made));
        }
        return std::make_unique<Sequence>(std::move(steps));
    }
    return unsupportedComponent<PostProcessor>("post-processor", type, strict);
}

} // namespace modelhubkit
