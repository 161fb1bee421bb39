#include "PelluxCore/ModelHubKit/Tokenizers/MetaspacePreTokenizer.hpp"

#include "PelluxCore/ModelHubKit/Tokenizers/JsonFields.hpp"
#include "PelluxCore/ModelHubKit/Tokenizers/TokenizerError.hpp"

namespace modelhubkit {

MetaspacePreTokenizer::MetaspacePreTokenizer(const nlohmann::json& object)
    : replacement_(json::stringOr(object, "replacement", "\xE2\x96\x81")), split_(json::valueOr(object, "split", true)) {
    if (replacement_.empty()) {
        throw TokenizerError(TokenizerErrorKind::malformedTokenizer, "Metaspace replacement must not be empty");
    }
    if (const auto scheme = json::optionalString(object, "prepend_scheme")) {
        if (*scheme == "always") prependScheme_ = PrependScheme::always;
        else if (*scheme == "first") prependScheme_ = PrependScheme::first;
        else if (*scheme == "never") prependScheme_ = PrependScheme::never;
        else throw TokenizerError(TokenizerErrorKind::unsupportedComponent, "Unsupported prepend scheme \"" + *scheme + "\"");
    } else {
        prependScheme_ = json::valueOr(object, "add_prefix_space", true) ? PrependScheme::always : PrependScheme::never;
    }
}

void MetaspacePreTokenizer::split(std::string_view piece, bool atTextStart, std::vector<std::string>& words) const {
    if (piece.empty()) return;
    std::string text;
    text.reserve(piece.size() + replacement_.size());
    const bool prepend = prependScheme_ == PrependScheme::always || (prependScheme_ == PrependScheme::first && atTextStart);
    if (prepend && piece.front() != ' ') text += replacement_;
    for (const char c : piece) {
        if (c == ' ') text += replacement_;
        else text += c;
    }
    if (!split_) {
        words.push_back(std::move(text));
        return;
    }
    // Each marker begins a new word.
    std::size_t start = 0;
    for (std::size_t marker = text.find(replacement_, 1); marker != std::string::npos;
         marker = text.find(replacement_, marker + replacement_.size())) {
        if (marker > start) words.push_back(text.substr(start, marker - start));
        start = marker;
    }
    words.push_back(text.substr(start));
}

} // namespace modelhubkit
