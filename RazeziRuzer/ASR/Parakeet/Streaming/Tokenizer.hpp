#pragma once
// Turns the token ids of the streaming transducers back into text through a
// "vocab.json" table of id (decimal text) to SentencePiece piece; the mark
// "▁" that starts a word becomes a space. Immutable once made, so it may be
// read from any thread.

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace razeziruzer {

class Tokenizer {
public:
    // A vocabulary of this kind holds a few thousand pieces; a file far
    // larger is refused unread.
    static constexpr std::uintmax_t maximumFileBytes = 16u << 20;

    // Throws the file error for an unreadable file, platform::FileTooLargeError
    // beyond the size above, the JSON reader's error for malformed JSON,
    // platform::JsonNestingError for JSON nested deeper than any vocabulary,
    // and std::runtime_error when the top level is not an object of string
    // values. Keys that are not decimal integers are skipped.
    explicit Tokenizer(const std::filesystem::path& vocabPath);

    const std::map<std::string, std::string>& vocab() const { return vocab_; }
    const std::map<std::int64_t, std::string>& idToToken() const { return idToToken_; }

    // Pieces of the known ids joined, marks made spaces, trimmed of spaces
    // and tabs (not line breaks) at both ends.
    std::string decode(const std::vector<std::int64_t>& ids) const;
    std::optional<std::string> piece(std::int64_t forId) const;
    std::optional<std::string> rawToken(std::int64_t forId) const { return piece(forId); }

    // The signed decimal integer a vocabulary key stands for, if any.
    static std::optional<std::int64_t> parseKey(const std::string& key);

private:
    std::map<std::string, std::string> vocab_;
    std::map<std::int64_t, std::string> idToToken_;
};

} // namespace razeziruzer
