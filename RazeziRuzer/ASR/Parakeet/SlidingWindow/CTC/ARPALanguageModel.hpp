#pragma once
// A word unigram and bigram language model read from an ARPA back-off file,
// scoring words in natural-log units. Higher orders in a file are dropped.
// Each distinct word is stored once; bigrams are kept as pairs of word ids.

#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CTC/ARPAEntry.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CTC/WordPairTable.hpp"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace razeziruzer {

class ARPALanguageModel {
public:
    using Entry = ARPAEntry;

    static const float log10ToNat;
    // The score of a word without a unigram.
    static const float unkLogProb;

    ARPALanguageModel() = default;

    // Throws ARPAError when the file cannot be opened or is not UTF-8. Lines
    // that are not well-formed data are skipped with a warning.
    static ARPALanguageModel load(const std::filesystem::path& path);

    // The bigram log-probability when there is one, else the previous word's
    // backoff plus the word's unigram log-probability.
    float score(std::string_view word, const std::optional<std::string>& prev) const;
    // The same score by word ids; an absent id stands for a word the model
    // does not hold (or, for `prev`, no previous word), which scores alike.
    float score(std::optional<std::uint32_t> word, std::optional<std::uint32_t> prev) const;
    std::optional<std::uint32_t> wordId(std::string_view word) const { return findId(word); }
    // The byte length of the longest word the model holds: a longer text has no id.
    std::size_t longestWordBytes() const { return longestWordBytes_; }

    // Stores or replaces an entry; words are exact, case-sensitive text.
    void setUnigram(std::string_view word, Entry entry);
    void setBigram(std::string_view prev, std::string_view word, Entry entry);

    std::optional<Entry> unigram(std::string_view word) const;
    std::optional<Entry> bigram(std::string_view prev, std::string_view word) const;
    std::size_t unigramCount() const { return unigramCount_; }
    std::size_t bigramCount() const { return bigrams_.size(); }

private:
    struct WordHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view word) const { return std::hash<std::string_view>{}(word); }
    };

    std::uint32_t idOf(std::string_view word);
    std::optional<std::uint32_t> findId(std::string_view word) const;

    std::unordered_map<std::string, std::uint32_t, WordHash, std::equal_to<>> wordIds_;
    std::vector<std::optional<Entry>> unigrams_; // by word id
    std::size_t unigramCount_ = 0;
    std::size_t longestWordBytes_ = 0;
    WordPairTable bigrams_;
};

} // namespace razeziruzer
