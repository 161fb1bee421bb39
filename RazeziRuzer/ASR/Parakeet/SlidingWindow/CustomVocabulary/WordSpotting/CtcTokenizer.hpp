#pragma once
// The tokenizer of the CTC model of vocabulary boosting: the BPE tokenizer of
// the model folder, with encodings with and without a leading word-start mark.

#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/WordSpotting/BpeTokenizer.hpp"

#include <filesystem>
#include <string>
#include <vector>

namespace razeziruzer {

class CtcTokenizer {
public:
    // Throws CtcTokenizerError.
    static CtcTokenizer load(const std::filesystem::path& folder);
    // The default folder of the 110M CTC model.
    static CtcTokenizer load();

    std::vector<int> encode(const std::string& text) const;
    std::vector<int> encodeWithoutBoundary(const std::string& text) const;
    // Both encodings, the marked one first; one list when they are equal.
    std::vector<std::vector<int>> encodeVariants(const std::string& text) const;

    const BpeTokenizer& bpeTokenizer() const { return bpeTokenizer_; }

private:
    explicit CtcTokenizer(BpeTokenizer bpeTokenizer) : bpeTokenizer_(std::move(bpeTokenizer)) {}
    static std::filesystem::path getCtcModelDirectory();

    BpeTokenizer bpeTokenizer_;
};

} // namespace razeziruzer
