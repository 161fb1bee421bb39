#include "PelluxCore/ModelHubKit/Tokenizers/SplitPreTokenizer.hpp"

#include "PelluxCore/ModelHubKit/Tokenizers/TextPattern.hpp"
#include "PelluxCore/ModelHubKit/Tokenizers/TokenizerError.hpp"

#include <nlohmann/json.hpp>

#include <optional>

namespace modelhubkit {
namespace {

struct Part {
    std::string_view text;
    bool matched;
};

std::vector<Part> partsOf(std::string_view piece, const platform::Regex& pattern, bool invert) {
    std::vector<Part> parts;
    std::size_t position = 0;
    for (const auto& match : pattern.allMatches(piece)) {
        const auto& range = match.range();
        if (range.empty()) continue;
        if (range.begin > position) parts.push_back({piece.substr(position, range.begin - position), invert});
        parts.push_back({range.of(piece), !invert});
        position = range.end;
    }
    if (position < piece.size()) parts.push_back({piece.substr(position), invert});
    return parts;
}

SplitBehavior behaviorNamed(const std::string& name) {
    if (name == "Removed") return SplitBehavior::removed;
    if (name == "Isolated") return SplitBehavior::isolated;
    if (name == "MergedWithPrevious") return SplitBehavior::mergedWithPrevious;
    if (name == "MergedWithNext") return SplitBehavior::mergedWithNext;
    if (name == "Contiguous") return SplitBehavior::contiguous;
    throw TokenizerError(TokenizerErrorKind::unsupportedComponent, "Unsupported split behavior \"" + name + "\"");
}

} // namespace

SplitPreTokenizer::SplitPreTokenizer(platform::Regex pattern, SplitBehavior behavior, bool invert)
    : pattern_(std::move(pattern)), behavior_(behavior), invert_(invert) {}

std::unique_ptr<SplitPreTokenizer> SplitPreTokenizer::fromJson(const nlohmann::json& object) {
    const auto invert = object.find("invert");
    return std::make_unique<SplitPreTokenizer>(compileTextPattern(object.at("pattern")),
                                               behaviorNamed(object.at("behavior").get<std::string>()),
                                               invert != object.end() && invert->is_boolean() && invert->get<bool>());
}

void SplitPreTokenizer::split(std::string_view piece, bool, std::vector<std::string>& words) const {
    bool lastMayTakeMatch = false; // the last word is unmatched text a match may still join
    std::optional<std::string> heldMatch;
    bool lastWasMatch = false;
    for (const auto& part : partsOf(piece, pattern_, invert_)) {
        switch (behavior_) {
        case SplitBehavior::removed:
            if (!part.matched) words.emplace_back(part.text);
            break;
        case SplitBehavior::isolated:
            words.emplace_back(part.text);
            break;
        case SplitBehavior::mergedWithPrevious:
            if (part.matched && lastMayTakeMatch) {
                words.back() += part.text;
            } else {
                words.emplace_back(part.text);
            }
            lastMayTakeMatch = !part.matched;
            break;
        case SplitBehavior::mergedWithNext:
            if (part.matched) {
                if (heldMatch) words.push_back(std::move(*heldMatch));
                heldMatch = std::string(part.text);
            } else {
                words.push_back(heldMatch ? std::move(*heldMatch) + std::string(part.text) : std::string(part.text));
                heldMatch.reset();
            }
            break;
        case SplitBehavior::contiguous:
            if (part.matched && lastWasMatch) {
                words.back() += part.text;
            } else {
                words.emplace_back(part.text);
            }
            break;
        }
        lastWasMatch = part.matched;
    }
    if (heldMatch) words.push_back(std::move(*heldMatch));
}

} // namespace modelhubkit
