#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/BKTree/BKTree.hpp"

#include "Platform/Text/CaseMapping.hpp"
#include "RazeziRuzer/Shared/StringUtils.hpp"

#include <algorithm>

namespace razeziruzer {

BKTree::BKTree(const std::vector<CustomVocabularyTerm>& terms) : termCount_(terms.size()) {
    std::vector<Entry> entries;
    entries.reserve(terms.size());
    for (const auto& term : terms) entries.emplace_back(&term, term.textLowercased());
    root_ = buildNode(entries);
}

std::shared_ptr<const BKTree::Node> BKTree::buildNode(const std::vector<Entry>& entries) {
    if (entries.empty()) return nullptr;
    auto node = std::make_shared<Node>(Node{*entries.front().first, entries.front().second, {}});
    std::map<int, std::vector<Entry>> groups;
    for (std::size_t i = 1; i < entries.size(); ++i) {
        groups[StringUtils::levenshteinDistance(entries[i].second, node->normalizedText)].push_back(entries[i]);
    }
    for (const auto& [distance, group] : groups) node->children.emplace(distance, buildNode(group));
    return node;
}

std::vector<BKTree::SearchResult> BKTree::search(const std::string& query, int maxDistance) const {
    std::vector<SearchResult> results;
    if (!root_) return results;
    const std::string lowered = platform::text::lowercased(query);
    std::vector<const Node*> stack{root_.get()};
    while (!stack.empty()) {
        const Node* node = stack.back();
        stack.pop_back();
        const int distance = StringUtils::levenshteinDistance(lowered, node->normalizedText);
        if (distance <= maxDistance) results.push_back({node->term, node->normalizedText, distance});
        const auto low = node->children.lower_bound(std::max(0, distance - maxDistance));
        for (auto child = low; child != node->children.end() && child->first <= distance + maxDistance; ++child) {
            stack.push_back(child->second.get());
        }
    }
    return results;
}

} // namespace razeziruzer
