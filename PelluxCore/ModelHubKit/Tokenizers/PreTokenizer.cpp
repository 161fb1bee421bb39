#include "PelluxCore/ModelHubKit/Tokenizers/PreTokenizer.hpp"

#include "PelluxCore/ModelHubKit/Tokenizers/ByteLevelPreTokenizer.hpp"
#include "PelluxCore/ModelHubKit/Tokenizers/ComponentSupport.hpp"
#include "PelluxCore/ModelHubKit/Tokenizers/JsonFields.hpp"
#include "PelluxCore/ModelHubKit/Tokenizers/MetaspacePreTokenizer.hpp"
#include "PelluxCore/ModelHubKit/Tokenizers/SplitPreTokenizer.hpp"

namespace modelhubkit {
namespace {

// Unicode punctuation plus the ASCII symbols that Bert also counts as punctuation.
constexpr const char* punctuationPattern = R"([\p{P}\x{21}-\x{2F}\x{3A}-\x{40}\x{5B}-\x{60}\x{7B}-\x{7E}])";

class Sequence final : public PreTokenizer {
public:
    explicit Sequence(std::vector<std::unique_ptr<PreTokenizer>> steps) : steps_(std::move(steps)) {}

    void split(std::string_view piece, bool atTextStart, std::vector<std::string>& words) const override {
        std::vector<std::string> current{std::string(piece)};
        std::vector<std::string> next;
        for (const auto& step : steps_) {
            next.clear();
            for (std::size_t i = 0; i < current.size(); ++i) step->split(current[i], atTextStart && i == 0, next);
            current.swap(next);
        }
        words.insert(words.end(), std::make_move_iterator(current.begin()), std::make_move_iterator(current.end()));
    }

private:
    std::vector<std::unique_ptr<PreTokenizer>> steps_;
};

std::unique_ptr<PreTokenizer> split(const char* pattern, SplitBehavior behavior, bool invert = false) {
    return std::make_unique<SplitPreTokenizer>(platform::Regex(pattern), behavior, invert);
}

std::unique_ptr<PreTokenizer> bertPreTokenizer() {
    std::vector<std::unique_ptr<PreTokenizer>> steps;
    steps.push_back(split(R"(\s+)", SplitBehavior::removed));
    steps.push_back(split(punctuationPattern, SplitBehavior::isolated));
    return std::make_unique<Sequence>(std::move(steps));
}

SplitBehavior punctuationBehavior(const nlohmann::json& object) {
    const std::string name = json::stringOr(object, "behavior", "Isolated");
    if (name == "Removed") return SplitBehavior::removed;
    if (name == "MergedWithPrevious") return SplitBehavior::mergedWithPrevious;
    if (name == "MergedWithNext") return SplitBehavior::mergedWithNext;
    if (name == "Contiguous") return SplitBehavior::contiguous;
    return SplitBehavior::isolated;
}

} // namespace

std::unique_ptr<PreTokenizer> makePreTokenizer(const nlohmann::json& preTokenizer, bool strict, int depth) {
    if (preTokenizer.is_null()) return nullptr;
    const std::string type = componentType(preTokenizer, "pre-tokenizer");
    if (type == "ByteLevel") {
        return std::make_unique<ByteLevelPreTokenizer>(json::valueOr(preTokenizer, "add_prefix_space", true),
                                                       json::valueOr(preTokenizer, "use_regex", true));
    }
    if (type == "Split") return SplitPreTokenizer::fromJson(preTokenizer);
    if (type == "Metaspace") return std::make_unique<MetaspacePreTokenizer>(preTokenizer);
    if (type == "Whitespace") return split(R"(\w+|[^\w\s]+)", SplitBehavior::removed, true);
    if (type == "WhitespaceSplit") return split(R"(\s+)", SplitBehavior::removed);
    if (type == "BertPreTokenizer") return bertPreTokenizer();
    if (type == "Punctuation") return split(punctuationPattern, punctuationBehavior(preTokenizer));
    if (type == "Digits") {
        return json::valueOr(preTokenizer, "individual_digits", false) ? split(R"(\p{Nd})", SplitBehavior::isolated)
                                                                       : split(R"(\p{Nd}+)", SplitBehavior::isolated);
    }
    if (type == "Sequence") {
        checkSequenceNesting(depth, "pre-tokenizer");
        std::vector<std::unique_ptr<PreTokenizer>> steps;
        for (const auto& step : preTokenizer.at("pretokenizers")) {
            if (auto made = makePreTokenizer(step, strict, depth + 1)) steps.push_back(std::move(made));
        }
        return std::make_unique<Sequence>(std::move(steps));
    }
    return unsupportedComponent<PreTokenizer>("pre-tokenizer", type, strict);
}

} // namespace modelhubkit
