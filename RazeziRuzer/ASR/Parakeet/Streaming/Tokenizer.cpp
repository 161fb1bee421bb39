#include "RazeziRuzer/ASR/Parakeet/Streaming/Tokenizer.hpp"

#include <nlohmann/json.hpp>

#include <fstream>
#include <limits>
#include <sstream>
#include <stdexcept>
#include <system_error>

namespace razeziruzer {
namespace {

constexpr std::string_view wordMark = "\u2581";

std::string readWholeFile(const std::filesystem::path& path) {
    std::ifstream stream(path, std::ios::binary);
    if (!stream) {
        throw std::filesystem::filesystem_error("Cannot read vocabulary file", path,
                                                std::make_error_code(std::errc::no_such_file_or_directory));
    }
    std::ostringstream contents;
    contents << stream.rdbuf();
    return contents.str();
}

// Length of the space separator or tab that ends at `end` (0 when none).
std::size_t trailingBlank(const std::string& text, std::size_t end) {
    static const std::vector<std::string> blanks = {
        " ", "\t", "\u00A0", "\u1680", "\u2000", "\u2001", "\u2002", "\u2003", "\u2004", "\u2005",
        "\u2006", "\u2007", "\u2008", "\u2009", "\u200A", "\u202F", "\u205F", "\u3000"};
    for (const auto& blank : blanks) {
        if (end >= blank.size() && text.compare(end - blank.size(), blank.size(), blank) == 0) return blank.size();
    }
    return 0;
}

std::size_t leadingBlank(const std::string& text, std::size_t begin) {
    for (std::size_t length = 1; length <= 3 && begin + length <= text.size(); ++length) {
        if (trailingBlank(text.substr(begin, length), length) == length) return length;
    }
    return 0;
}

std::string trimBlanks(const std::string& text) {
    std::size_t begin = 0;
    while (const auto length = leadingBlank(text, begin)) begin += length;
    std::size_t end = text.size();
    while (end > begin) {
        const auto length = trailingBlank(text, end);
        if (length == 0) break;
        end -= length;
    }
    return text.substr(begin, end - begin);
}

} // namespace

Tokenizer::Tokenizer(const std::filesystem::path& vocabPath) {
    const auto json = nlohmann::json::parse(readWholeFile(vocabPath));
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
    return trimBlanks(spaced);
}

std::optional<std::string> Tokenizer::piece(std::int64_t forId) const {
    if (const auto found = idToToken_.find(forId); found != idToToken_.end()) return found->second;
    return std::nullopt;
}

} // namespace razeziruzer
