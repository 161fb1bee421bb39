#pragma once
// Byte-pair-encoding tokenizer of a CTC model folder: reads the BPE subset of
// "tokenizer.json" and cuts text into the model's token ids by greedy merging.
// Immutable after loading.

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace razeziruzer {

class BpeTokenizer {
public:
    // Tokenizer files of the spotting models hold at most a few megabytes; a
    // file far larger is refused unread.
    static constexpr std::uintmax_t maximumFileBytes = 64u << 20;

    // Throws BpeTokenizerError, or the file and JSON errors unchanged
    // (platform::FileTooLargeError beyond the size above,
    // platform::JsonNestingError for JSON nested deeper than any tokenizer).
    static BpeTokenizer load(const std::filesystem::path& folder);

    // Lower-cased, NFKC-composed, spaces as word-start marks (one more in front
    // when `prependWordBoundary`); `addSpecialTokens` adds nothing. Pieces found
    // in neither map take the unknown token's id, or nothing when the
    // vocabulary has no "<unk>": an unknown character is never passed off as
    // another token.
    std::vector<int> encode(const std::string& text, bool addSpecialTokens, bool prependWordBoundary) const;

    const std::unordered_map<std::string, int>& vocab() const { return vocab_; }
    const std::vector<std::pair<std::string, std::string>>& merges() const { return merges_; }
    const std::unordered_map<std::string, int>& addedTokens() const { return addedTokens_; }

private:
    BpeTokenizer(std::unordered_map<std::string, int> vocab, std::vector<std::pair<std::string, std::string>> merges,
                 std::unordered_map<std::string, int> addedTokens);

    std::optional<std::size_t> rank(const std::string& left, const std::string& right) const;
    std::optional<int> idOf(const std::string& piece) const;

    std::unordered_map<std::string, int> vocab_;
    std::vector<std::pair<std::string, std::string>> merges_;
    std::unordered_map<std::string, int> addedTokens_;
    // The first rule of each pair in file order.
    std::map<std::pair<std::string, std::string>, std::size_t> ranks_;
};

} // namespace razeziruzer
