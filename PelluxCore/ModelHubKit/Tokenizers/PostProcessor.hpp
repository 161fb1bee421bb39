#pragma once
// Post-processors put a model's special tokens around an encoded text when
// special tokens are asked for: a template of tokens and the sequence, or the
// Bert / Roberta pair of a leading and a trailing token.

#include <nlohmann/json_fwd.hpp>

#include <memory>
#include <vector>

namespace modelhubkit {

class PostProcessor {
public:
    virtual ~PostProcessor() = default;
    virtual std::vector<int> process(std::vector<int> ids) const = 0;
};

// Null for a null object, and for an unknown type when not `strict`.
// `depth` counts the enclosing sequences.
// Throws TokenizerError for a malformed object, a sequence nested too deep, or an unknown type when `strict`.
std::unique_ptr<PostProcessor> makePostProcessor(const nlohmann::json& postProcessor, bool strict, int depth = 0);

} // namespace modelhubkit
