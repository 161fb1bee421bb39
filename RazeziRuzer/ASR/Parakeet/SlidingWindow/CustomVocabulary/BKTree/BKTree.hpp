#pragma once
// Vocabulary terms indexed by the edit distance between their lower-cased
// texts, so the terms near a word are found without comparing it with every
// term. Immutable after building.

#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/CustomVocabularyTerm.hpp"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace razeziruzer {

class BKTree {
public:
    struct SearchResult {
        CustomVocabularyTerm term;
        std::string normalizedText;
        int distance;
    };

    explicit BKTree(const std::vector<CustomVocabularyTerm>& terms);

    // Terms within maxDistance of the lower-cased query, in no defined order.
    std::vector<SearchResult> search(const std::string& query, int maxDistance) const;

    bool isEmpty() const { return root_ == nullptr; }
    std::size_t count() const { return termCount_; }

private:
    struct Node {
        CustomVocabularyTerm term;
        std::string normalizedText;
        std::map<int, std::shared_ptr<const Node>> children;
    };
    using Entry = std::pair<const CustomVocabularyTerm*, std::string>;

    static std::shared_ptr<const Node> buildNode(const std::vector<Entry>& entries);

    std::shared_ptr<const Node> root_;
    std::size_t termCount_ = 0;
};

} // namespace razeziruzer
