#pragma once
// Normalizers rewrite text before it is split into words: Unicode forms,
// lower case, accent stripping, replacements, a prefix, and the Bert clean-up.

#include <nlohmann/json_fwd.hpp>

#include <memory>
#include <string>

namespace modelhubkit {

class Normalizer {
public:
    virtual ~Normalizer() = default;
    virtual std::string normalize(std::string text) const = 0;
};

// Null for a null object, and for an unknown type when not `strict`.
// `depth` counts the enclosing sequences.
// Throws TokenizerError for a malformed object, a sequence nested too deep, or an unknown type when `strict`.
std::unique_ptr<Normalizer> makeNormalizer(const nlohmann::json& normalizer, bool strict, int depth = 0);

} // namespace modelhubkit
