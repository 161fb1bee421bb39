#include "PelluxCore/ModelHubKit/Tokenizers/TextPattern.hpp"

#include "PelluxCore/ModelHubKit/Tokenizers/TokenizerError.hpp"

#include <nlohmann/json.hpp>

#include <cctype>

namespace modelhubkit {
namespace {

std::string escaped(std::string_view text) {
    std::string pattern;
    pattern.reserve(text.size() * 2);
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80 && !std::isalnum(byte)) pattern += '\\';
        pattern += c;
    }
    return pattern;
}

platform::Regex compiled(std::string_view pattern) {
    try {
        return platform::Regex(pattern);
    } catch (const platform::RegexError& error) {
        throw TokenizerError(TokenizerErrorKind::malformedTokenizer,
                             "Pattern \"" + std::string(pattern) + "\" does not compile: " + error.description());
    }
}

} // namespace

platform::Regex literalPattern(std::string_view text) {
    return compiled(escaped(text));
}

platform::Regex compileTextPattern(const nlohmann::json& pattern) {
    if (pattern.is_object()) {
        if (const auto text = pattern.find("String"); text != pattern.end() && text->is_string()) {
            return literalPattern(text->get_ref<const std::string&>());
        }
        if (const auto regex = pattern.find("Regex"); regex != pattern.end() && regex->is_string()) {
            return compiled(regex->get_ref<const std::string&>());
        }
    }
    throw TokenizerError(TokenizerErrorKind::malformedTokenizer, "Malformed pattern " + pattern.dump());
}

} // namespace modelhubkit
