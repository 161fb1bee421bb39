#pragma once
// Decoders turn the token texts of a run of model tokens back into text:
// byte-level characters to bytes, "##" continuations, metaspace markers,
// byte-fallback tokens, replacements and stripping.

#include <nlohmann/json_fwd.hpp>

#include <memory>
#include <string>
#include <vector>

namespace modelhubkit {

class Decoder {
public:
    virtual ~Decoder() = default;
    // The pieces of text the tokens become; their concatenation is the text.
    // Pieces may hold bytes that are not yet valid UTF-8.
    virtual std::vector<std::string> decodeChain(std::vector<std::string> tokens) const = 0;
};

// Null for a null object, and for an unknown type when not `strict`.
// `depth` counts the enclosing sequences.
// Throws TokenizerError for a malformed object, a sequence nested too deep, or an unknown type when `strict`.
std::unique_ptr<Decoder> makeDecoder(const nlohmann::json& decoder, bool strict, int depth = 0);

} // namespace modelhubkit
