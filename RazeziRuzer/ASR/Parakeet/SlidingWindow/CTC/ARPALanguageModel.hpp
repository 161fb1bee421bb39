#pragma once
// A word unigram and bigram language model read from an ARPA back-off file,
// scoring words in natural-log units. Higher orders in a file are dropped.

#include <filesystem>
#include <optional>
#include <string>
#include <unordered_map>

namespace razeziruzer {

class ARPALanguageModel {
public:
    struct Entry {
        float logProb = 0;
        float backoff = 0;
    };

    static const float log10ToNat;
    // The score of a word without a unigram.
    static const float unkLogProb;

    ARPALanguageModel() = default;

    // Throws ARPAError when the file cannot be opened or is not UTF-8. Lines
    // that are not well-formed data are skipped with a warning.
    static ARPALanguageModel load(const std::filesystem::path& path);

    // The bigram log-probability when there is one, else the previous word's
    // backoff plus the word's unigram log-probability.
    float score(const std::string& word, const std::optional<std::string>& prev) const;

    std::unordered_map<std::string, Entry> unigrams;
    std::unordered_map<std::string, std::unordered_map<std::string, Entry>> bigrams;
};

} // namespace razeziruzer
