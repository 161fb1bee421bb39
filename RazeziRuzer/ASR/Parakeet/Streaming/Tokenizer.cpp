#include "RazeziRuzer/ASR/Parakeet/Streaming/Tokenizer.hpp"

#include "Platform/Core/BoundedJson.hpp"
#include "Platform/Core/BoundedRead.hpp"
#include "Platform/Text/Whitespace.hpp"
#include "RazeziRuzer/Shared/ASRConstants.hpp"

#include <fstream>
#include <limits>
#include <stdexcept>
#include <system_error>

namespace razeziruzer {
namespace {

constexpr std::string_view wordMark = ASRConstants::sentencePieceWordBoundary;

std::string readWholeFile(const std::filesystem::path& path) {
    std::ifstream stream(path, std::ios::binary);
    if (!stream) {
        throw std::filesystem::filesystem_error("Cannot read vocabulary file", path,
                                                std::make_error_code(std::errc::no_such_file_or_directory));
    }
    return platform::readAtMost(stream, Tokenizer::maximumFileBytes, path.string());
}

} // namespace

Tokenizer::Tokenizer(const std::filesystem::path& vocabPath) {
    const auto json = platform::parseBoundedJson(readWholeFile(vocabPath));
    if (!json.is_object()) throw std::runtime_error("Vocabulary file is not a JSON object: " + vocabPath.string());
    for (const auto& [key, value] : json.items()) {
        if (!value.is_string()) {
            throw std::runtime_error("Vocabulary entry \"" + key + "\" is not a string in " + vocabPath.string());
        }
        vocab_.emplace(key, value.get<std::string>());
    }
    for (const auto& [key, value] : vocab_) {
        if (const auto id = parseKey(key)) idToToken_[*id] = value;
    }
}

std::optional<std::int64_t> Tokenizer::parseKey(const std::string& key) {
    std::size_t position = 0;
    bool negative = false;
    if (!key.empty() && (key[0] == '+' || key[0] == '-')) {
        negative = key[0] == '-';
        position = 1;
    }
    if (position == key.size()) return std::nullopt;
    // Accumulate as a negative number so that the smallest value fits too.
    std::int64_t value = 0;
    constexpr auto minimum = std::numeric_limits<std::int64_t>::min();
    for (; position < key.size(); ++position) {
        const char c = key[position];
        if (c < '0' || c > '9') return std::nullopt;
        const int digit = c - '0';
        if (value < (minimum + digit) / 10) return std::nullopt;
        value = value * 10 - digit;
    }
    if (negative) return value;
    if (value == minimum) return std::nullopt;
    return -value;
}

std::string Tokenizer::decode(const std::vector<std::int64_t>& ids) const {
    std::string joined;
    for (const auto id : ids) {
        if (const auto found = idToToken_.find(id); found != idToToken_.end()) joined += found->second;
    }
    std::string spaced;
    spaced.reserve(joined.size());
    for (std::size_t i = 0; i < joined.size();) {
        if (joined.compare(i, wordMark.size(), wordMark) == 0) {
            spaced += ' ';
            i += wordMark.size();
        } else {
            spaced += joined[i++];
        }
    }
    return platform::text::trimHorizontalWhitespace(spaced);
}

std::optional<std::string> Tokenizer::piece(std::int64_t forId) const {
    if (const auto found = idToToken_.find(forId); found != idToToken_.end()) return found->second;
    return std::nullopt;
}

} // namespace razeziruzer
