#include "RazeziRuzer/ASR/Parakeet/ParakeetVocabulary.hpp"

#include "Platform/Core/BoundedJson.hpp"

#include <charconv>
#include <limits>

namespace razeziruzer::ParakeetVocabulary {

std::optional<long long> parseDecimalKey(std::string_view key) {
    if (!key.empty() && key.front() == '+') key.remove_prefix(1);
    if (key.empty() || key.front() == '+') return std::nullopt;
    long long value = 0;
    const auto [end, error] = std::from_chars(key.data(), key.data() + key.size(), value);
    if (error != std::errc() || end != key.data() + key.size()) return std::nullopt;
    return value;
}

std::optional<Vocabulary> parse(std::string_view json) {
    const auto value = platform::parseBoundedJson(json);
    Vocabulary vocabulary;
    if (value.is_array()) {
        int id = 0;
        for (const auto& piece : value) {
            if (!piece.is_string()) return std::nullopt;
            vocabulary.emplace(id++, piece.get<std::string>());
        }
        return vocabulary;
    }
    if (!value.is_object()) return std::nullopt;
    for (const auto& [key, piece] : value.items()) {
        if (!piece.is_string()) return std::nullopt;
    }
    for (const auto& [key, piece] : value.items()) {
        const auto id = parseDecimalKey(key);
        if (!id || *id < std::numeric_limits<int>::min() || *id > std::numeric_limits<int>::max()) continue;
        vocabulary.insert_or_assign(static_cast<int>(*id), piece.get<std::string>());
    }
    return vocabulary;
}

} // namespace razeziruzer::ParakeetVocabulary
