#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/BKTree/BKTree.hpp"

#include "RazeziRuzer/Shared/StringUtils.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using namespace razeziruzer;

namespace {

std::vector<std::string> texts(std::vector<BKTree::SearchResult> results) {
    std::vector<std::string> found;
    for (const auto& result : results) found.push_back(result.term.text() + "@" + std::to_string(result.distance));
    std::sort(found.begin(), found.end());
    return found;
}

TEST(BKTree, AnEmptyTreeFindsNothing) {
    const BKTree tree({});
    EXPECT_TRUE(tree.isEmpty());
    EXPECT_EQ(tree.count(), 0u);
    EXPECT_TRUE(tree.search("anything", 5).empty());
}

TEST(BKTree, SearchesByCharacterDistanceOfLowerCasedTexts) {
    const BKTree tree({CustomVocabularyTerm("Zoviri"), CustomVocabularyTerm("zoviri"), CustomVocabularyTerm("Caf\xC3\xA9"),
                       CustomVocabularyTerm("well-known"), CustomVocabularyTerm("trail ")});
    EXPECT_EQ(tree.count(), 5u);
    struct Case {
        const char* name;
        std::string query;
        int maxDistance;
        std::vector<std::string> expected;
    };
    const std::vector<Case> cases = {
        {"same lower-cased text twice", "ZOVIRI", 0, {"Zoviri@0", "zoviri@0"}},
        {"accent is one character", "cafe", 1, {"Caf\xC3\xA9@1"}},
        {"hyphen against space", "well known", 1, {"well-known@1"}},
        {"trailing space counts", "trail", 1, {"trail @1"}},
        {"negative distance", "zoviri", -1, {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(texts(tree.search(c.query, c.maxDistance)), c.expected) << c.name;
    }
}

TEST(BKTree, FindsExactlyWhatALinearScanFinds) {
    std::mt19937 random(5);
    const std::string letters = "abcde";
    const auto randomWord = [&] {
        std::string word(1 + random() % 7, 'a');
        for (auto& c : word) c = letters[random() % letters.size()];
        return word;
    };
    for (const std::size_t size : {1u, 10u, 200u}) {
        std::vector<CustomVocabularyTerm> terms;
        for (std::size_t i = 0; i < size; ++i) terms.emplace_back(randomWord());
        const BKTree tree(terms);
        for (int query = 0; query < 50; ++query) {
            const std::string word = randomWord();
            for (int maxDistance = 0; maxDistance <= 3; ++maxDistance) {
                std::vector<std::string> expected;
                for (const auto& term : terms) {
                    const int distance = StringUtils::levenshteinDistance(word, term.textLowercased());
                    if (distance <= maxDistance) expected.push_back(term.text() + "@" + std::to_string(distance));
                }
                std::sort(expected.begin(), expected.end());
                ASSERT_EQ(texts(tree.search(word, maxDistance)), expected)
                    << "size " << size << ", query " << word << ", distance " << maxDistance;
            }
        }
    }
}

} // namespace
