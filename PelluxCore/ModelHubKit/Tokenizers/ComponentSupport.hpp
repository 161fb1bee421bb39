#pragma once
// Shared handling of the component objects of "tokenizer.json" (normalizer,
// pre-tokenizer, decoder, post-processor): their type name, and what an
// unknown type does — an error when loading strictly, else the component is left out.

#include "PelluxCore/ModelHubKit/Tokenizers/TokenizerError.hpp"

#include <nlohmann/json.hpp>

#include <memory>
#include <string>

namespace modelhubkit {

inline std::string componentType(const nlohmann::json& component, const char* what) {
    const auto type = component.is_object() ? component.find("type") : component.end();
    if (!component.is_object() || type == component.end() || !type->is_string()) {
        throw TokenizerError(TokenizerErrorKind::malformedTokenizer,
                             std::string("Malformed ") + what + " " + component.dump());
    }
    return type->get<std::string>();
}

// Sequences of components may hold sequences; real files nest one or two
// levels, and each level is a level of recursion when building and running.
inline constexpr int maximumSequenceNesting = 16;

inline void checkSequenceNesting(int depth, const char* what) {
    if (depth >= maximumSequenceNesting) {
        throw TokenizerError(TokenizerErrorKind::malformedTokenizer,
                             std::string("Sequence ") + what + "s nested more than " +
                                 std::to_string(maximumSequenceNesting) + " levels deep");
    }
}

template <typename Component>
std::unique_ptr<Component> unsupportedComponent(const char* what, const std::string& type, bool strict) {
    if (strict) {
        throw TokenizerError(TokenizerErrorKind::unsupportedComponent,
                             std::string("Unsupported ") + what + " type \"" + type + "\"");
    }
    return nullptr;
}

} // namespace modelhubkit
