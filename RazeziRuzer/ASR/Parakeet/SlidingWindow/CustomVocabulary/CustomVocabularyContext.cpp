#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/CustomVocabularyContext.hpp"

#include "Platform/Core/BoundedJson.hpp"
#include "Platform/Core/Error.hpp"
#include "Platform/Text/Utf8.hpp"
#include "Platform/Text/Whitespace.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/VocabularyTermSanitizer.hpp"
#include "RazeziRuzer/Shared/AppLogger.hpp"

#include <fstream>
#include <sstream>

namespace razeziruzer {

namespace {

std::string readFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in || std::filesystem::is_directory(file)) throw platform::Error("Cannot read vocabulary file: " + file.string());
    std::ostringstream contents;
    contents << in.rdbuf();
    return contents.str();
}

template <typename T>
T valueOr(const nlohmann::json& json, const char* key, T fallback) {
    const auto found = json.find(key);
    if (found == json.end() || found->is_null()) return fallback;
    if constexpr (std::is_floating_point_v<T>) {
        if (!found->is_number()) throw nlohmann::json::type_error::create(302, std::string(key) + " must be a number", &*found);
    } else {
        if (!found->is_number_integer()) throw nlohmann::json::type_error::create(302, std::string(key) + " must be an integer", &*found);
    }
    return found->get<T>();
}

// Sanitised aliases without the empty ones; absent when none is left.
std::optional<std::vector<std::string>> sanitizedAliases(const std::optional<std::vector<std::string>>& aliases) {
    if (!aliases) return std::nullopt;
    std::vector<std::string> kept;
    for (const auto& alias : *aliases) {
        auto sanitized = sanitizeVocabularyTerm(alias).sanitized;
        if (!sanitized.empty()) kept.push_back(std::move(sanitized));
    }
    if (kept.empty()) return std::nullopt;
    return kept;
}

std::string joined(const std::vector<std::string>& parts, const std::string& separator) {
    std::string text;
    for (std::size_t i = 0; i < parts.size(); ++i) text += (i ? separator : "") + parts[i];
    return text;
}

// Lines split at LF, VT, FF, CR, CR LF, NEL, LS and PS; empty lines dropped.
std::vector<std::string> splitLines(const std::string& text) {
    static const std::vector<std::string> breaks = {"\r\n", "\n", "\v", "\f", "\r", "\xC2\x85", "\xE2\x80\xA8", "\xE2\x80\xA9"};
    std::vector<std::string> lines;
    std::string current;
    for (std::size_t i = 0; i < text.size();) {
        bool broke = false;
        for (const auto& lineBreak : breaks) {
            if (text.compare(i, lineBreak.size(), lineBreak) == 0) {
                if (!current.empty()) lines.push_back(std::move(current));
                current.clear();
                i += lineBreak.size();
                broke = true;
                break;
            }
        }
        if (!broke) current += text[i++];
    }
    if (!current.empty()) lines.push_back(std::move(current));
    return lines;
}

std::optional<CustomVocabularyTerm> simpleFormatTerm(const std::string& rawLine) {
    const std::string line = platform::text::trimWhitespaceAndNewlines(rawLine);
    if (line.empty() || line.starts_with("#")) return std::nullopt;
    std::string termText = line;
    std::optional<std::vector<std::string>> aliases;
    if (const auto colon = line.find(':'); colon != std::string::npos) {
        termText = platform::text::trimHorizontalWhitespace(line.substr(0, colon));
        std::vector<std::string> pieces;
        std::stringstream rest(line.substr(colon + 1));
        for (std::string piece; std::getline(rest, piece, ',');) {
            piece = platform::text::trimHorizontalWhitespace(piece);
            if (!piece.empty()) pieces.push_back(piece);
        }
        if (!pieces.empty()) aliases = std::move(pieces);
    }
    auto text = sanitizeVocabularyTerm(termText).sanitized;
    if (text.empty()) return std::nullopt;
    return CustomVocabularyTerm(std::move(text), 10.0f, sanitizedAliases(aliases));
}

} // namespace

CustomVocabularyContext CustomVocabularyContext::load(const std::filesystem::path& file) {
    const auto json = platform::parseBoundedJson(readFile(file));
    if (!json.is_object()) throw nlohmann::json::type_error::create(302, "vocabulary must be an object", &json);
    const auto& termsJson = json.at("terms");
    if (!termsJson.is_array()) throw nlohmann::json::type_error::create(302, "terms must be an array", &termsJson);
    std::vector<CustomVocabularyTerm> read;
    for (const auto& termJson : termsJson) read.push_back(CustomVocabularyTerm::fromJson(termJson));

    CustomVocabularyContext context;
    context.alpha = valueOr(json, "alpha", context.alpha);
    context.minCtcScore = valueOr(json, "minCtcScore", context.minCtcScore);
    context.minSimilarity = valueOr(json, "minSimilarity", context.minSimilarity);
    context.minCombinedConfidence = valueOr(json, "minCombinedConfidence", context.minCombinedConfidence);
    context.minTermLength = valueOr<std::int64_t>(json, "minTermLength", context.minTermLength);

    const AppLogger logger("CustomVocabulary");
    for (const auto& term : read) {
        const auto sanitized = sanitizeVocabularyTerm(term.text());
        if (!sanitized.warnings.empty()) {
            logger.warning("Term '" + term.text() + "': " + joined(sanitized.warnings, ", "));
        }
        if (sanitized.sanitized.empty()) {
            logger.warning("Term '" + term.text() + "' is empty after sanitization, skipping");
            continue;
        }
        context.terms.emplace_back(sanitized.sanitized, term.weight(), sanitizedAliases(term.aliases()),
                                   term.tokenIds(), term.ctcTokenIds());
    }
    return context;
}

CustomVocabularyContext CustomVocabularyContext::loadFromSimpleFormat(const std::filesystem::path& file) {
    const auto text = readFile(file);
    if (!platform::text::isValidUtf8(text)) throw platform::Error("Vocabulary file is not valid UTF-8: " + file.string());
    CustomVocabularyContext context;
    for (const auto& line : splitLines(text)) {
        if (auto term = simpleFormatTerm(line)) context.terms.push_back(std::move(*term));
    }
    return context;
}

} // namespace razeziruzer
