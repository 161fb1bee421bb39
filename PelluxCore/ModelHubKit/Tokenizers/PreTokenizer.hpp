#pragma once
// Pre-tokenizers cut normalized text into the words the model tokenizes one
// by one, and may rewrite them (byte-level mapping, the metaspace marker).

#include <nlohmann/json_fwd.hpp>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace modelhubkit {

class PreTokenizer {
public:
    virtual ~PreTokenizer() = default;
    // Appends the words of `piece` to `words`; `atTextStart` tells whether the
    // piece begins the text being encoded (not a part after an added token).
    virtual void split(std::string_view piece, bool atTextStart, std::vector<std::string>& words) const = 0;
};

// Null for a null object, and for an unknown type when not `strict`.
// `depth` counts the enclosing sequences.
// Throws TokenizerError for a malformed object, a sequence nested too deep, or an unknown type when `strict`.
std::unique_ptr<PreTokenizer> makePreTokenizer(const nlohmann::json& preTokenizer, bool strict, int depth = 0);

} // namespace modelhubkit
