#pragma once
// Byte-pair encoding: a word starts as one symbol per character and adjacent
// symbols are merged in the order of the merge list until no merge applies.

#include "PelluxCore/ModelHubKit/Tokenizers/TokenizingModel.hpp"

#include <cstdint>
#include <unordered_map>

namespace modelhubkit {

class BPEModel final : public TokenizingModel {
public:
    // `model` is a "BPE" model object; merges may be "a b" texts or [a, b] pairs.
    explicit BPEModel(const nlohmann::json& model);

    void tokenize(std::string_view word, std::vector<int>& ids) const override;
    const Vocabulary& vocabulary() const override { return vocabulary_; }
    std::optional<std::string> unknownToken() const override { return unknownToken_; }

private:
    struct Merge {
        std::size_t rank;
        int merged;
    };

    void addMerges(const nlohmann::json& merges);
    std::optional<Merge> mergeOf(int left, int right) const;
    void appendCharacterSymbols(std::string_view word, std::vector<int>& symbols) const;
    void appendUnknown(std::string_view character, std::vector<int>& symbols) const;
    void applyMerges(std::vector<int>& symbols) const;

    Vocabulary vocabulary_;
    std::unordered_map<std::uint64_t, Merge> merges_;
    std::optional<std::string> unknownToken_;
    std::optional<int> unknownId_;
    std::string continuingSubwordPrefix_;
    std::string endOfWordSuffix_;
    bool fuseUnknown_ = false;
    bool byteFallback_ = false;
    bool ignoreMerges_ = false;
};

} // namespace modelhubkit
