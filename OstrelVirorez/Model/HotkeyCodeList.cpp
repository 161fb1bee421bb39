#include "OstrelVirorez/Model/HotkeyCodeList.hpp"

#include <charconv>

namespace ostrelvirorez {

namespace {

constexpr std::string_view noKey = "none";

std::optional<KeyCode> parseInteger(std::string_view piece) {
    // One sign at most: "+54" is 54, "+-54" is not a number.
    if (!piece.empty() && piece.front() == '+') {
        piece.remove_prefix(1);
        if (!piece.empty() && piece.front() == '-') return std::nullopt;
    }
    KeyCode value = 0;
    const auto* end = piece.data() + piece.size();
    const auto [stop, error] = std::from_chars(piece.data(), end, value);
    if (error != std::errc{} || stop != end) return std::nullopt;
    return value;
}

std::vector<std::string_view> nonEmptyPieces(std::string_view text) {
    std::vector<std::string_view> pieces;
    while (!text.empty()) {
        const auto comma = text.find(',');
        const auto piece = text.substr(0, comma);
        if (!piece.empty()) pieces.push_back(piece);
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
    }
    return pieces;
}

} // namespace

std::optional<std::vector<KeyCode>> parseKeyCodeList(std::string_view raw) {
    if (raw == noKey) return std::vector<KeyCode>{};
    std::vector<KeyCode> codes;
    for (const auto piece : nonEmptyPieces(raw)) {
        const auto code = parseInteger(piece);
        if (code && *code != 0) codes.push_back(*code);
    }
    if (codes.empty()) return std::nullopt;
    return codes;
}

std::string serializeKeyCodeList(const std::vector<KeyCode>& codes) {
    std::string text;
    for (const auto code : codes) {
        if (code == 0) continue;
        if (!text.empty()) text += ',';
        text += std::to_string(code);
    }
    return text.empty() ? std::string(noKey) : text;
}

} // namespace ostrelvirorez
