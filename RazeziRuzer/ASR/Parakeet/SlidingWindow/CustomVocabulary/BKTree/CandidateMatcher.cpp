#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/BKTree/CandidateMatcher.hpp"

#include "Platform/Text/Characters.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/Rescorer/VocabularyTextUtilities.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

namespace razeziruzer {

namespace {

constexpr std::size_t minimumConcatenationLength = 6;

// min(cap, trunc(max(3, characters of x) * relax)), clamped to the int range.
int maxDistanceFor(const std::string& text, int cap, float relax) {
    const float length = std::max(3.0f, static_cast<float>(platform::text::characterCount(text)));
    const float product = std::trunc(length * relax);
    const float clamped = std::clamp(product, static_cast<float>(std::numeric_limits<int>::min() / 2),
                                     static_cast<float>(std::numeric_limits<int>::max() / 2));
    return std::min(cap, static_cast<int>(clamped));
}

float concatenationScore(const std::string& joined, const std::string& target) {
    return lengthFactor(joined, target) * stringSimilarity(joined, target);
}

std::string spacedPhrase(const std::string& word, const std::vector<std::string>& adjacent, int span) {
    std::string phrase = word;
    for (int i = 0; i < span - 1; ++i) phrase += " " + adjacent[static_cast<std::size_t>(i)];
    return phrase;
}

int lastSpan(const std::vector<std::string>& adjacent) {
    return static_cast<int>(std::min<std::size_t>(adjacent.size(), 3)) + 1;
}

bool hasTwoConcatenable(const std::vector<std::string>& adjacent) {
    return adjacent.size() >= 2 && !adjacent[0].empty() && !adjacent[1].empty();
}

} // namespace

CandidateMatcher::CandidateMatcher(const CustomVocabularyContext& vocabulary, bool useBKTree, const BKTree* bkTree,
                                   int bkTreeMaxDistance)
    : vocabulary_(vocabulary), useBKTree_(useBKTree), bkTree_(bkTree), bkTreeMaxDistance_(bkTreeMaxDistance) {}

std::vector<CandidateMatch> CandidateMatcher::findCandidateTermsForWord(
    const std::string& normalizedWord, const std::vector<std::string>& adjacentNormalized, float minSimilarity) const {
    std::vector<CandidateMatch> candidates;
    if (normalizedWord.empty()) return candidates;
    if (useBKTree_ && bkTree_) {
        treeCandidates(normalizedWord, adjacentNormalized, minSimilarity, candidates);
    } else {
        linearCandidates(normalizedWord, adjacentNormalized, minSimilarity, candidates);
    }
    std::stable_sort(candidates.begin(), candidates.end(), [](const CandidateMatch& a, const CandidateMatch& b) {
        if (a.similarity != b.similarity) return a.similarity > b.similarity;
        return a.spanLength > b.spanLength;
    });
    return candidates;
}

void CandidateMatcher::linearCandidates(const std::string& word, const std::vector<std::string>& adjacent,
                                        float minSimilarity, std::vector<CandidateMatch>& out) const {
    for (const auto& term : vocabulary_.terms) {
        const std::string target = normalizeForSimilarity(term.text());
        if (target.empty()) continue;
        if (wordCount(target) == 1) {
            if (const float s1 = stringSimilarity(word, target); s1 >= minSimilarity) out.push_back({term, s1, 1});
            if (!adjacent.empty() && !adjacent[0].empty()) {
                const float a2 = concatenationScore(word + adjacent[0], target);
                if (a2 >= minSimilarity) out.push_back({term, a2, 2});
            }
            if (hasTwoConcatenable(adjacent)) {
                const std::string joined = word + adjacent[0] + adjacent[1];
                if (platform::text::characterCount(joined) >= minimumConcatenationLength) {
                    const float a3 = concatenationScore(joined, target);
                    if (a3 >= minSimilarity) out.push_back({term, a3, 3});
                }
            }
        } else if (!adjacent.empty()) {
            for (int span = 2; span <= lastSpan(adjacent); ++span) {
                const float sp = stringSimilarity(spacedPhrase(word, adjacent, span), target);
                if (sp >= minSimilarity) out.push_back({term, sp, span});
            }
        }
    }
}

void CandidateMatcher::treeCandidates(const std::string& word, const std::vector<std::string>& adjacent,
                                      float minSimilarity, std::vector<CandidateMatch>& out) const {
    const float relax = 1.0f - minSimilarity;
    const int cap = bkTreeMaxDistance_;
    for (const auto& found : bkTree_->search(word, maxDistanceFor(word, cap, relax))) {
        const float s1 = stringSimilarity(word, found.normalizedText);
        if (s1 >= minSimilarity) out.push_back({found.term, s1, 1});
    }
    const auto addConcatenation = [&](const std::string& joined, int span) {
        for (const auto& found : bkTree_->search(joined, maxDistanceFor(joined, cap, relax))) {
            const float score = concatenationScore(joined, found.normalizedText);
            if (score >= minSimilarity) out.push_back({found.term, score, span});
        }
    };
    if (!adjacent.empty() && !adjacent[0].empty()) addConcatenation(word + adjacent[0], 2);
    if (hasTwoConcatenable(adjacent)) {
        const std::string joined = word + adjacent[0] + adjacent[1];
        if (platform::text::characterCount(joined) >= minimumConcatenationLength) addConcatenation(joined, 3);
    }
    if (adjacent.empty()) return;
    for (int span = 2; span <= lastSpan(adjacent); ++span) {
        const std::string phrase = spacedPhrase(word, adjacent, span);
        for (const auto& found : bkTree_->search(phrase, maxDistanceFor(phrase, cap + 1, relax))) {
            const float sp = stringSimilarity(phrase, found.normalizedText);
            if (sp >= minSimilarity) out.push_back({found.term, sp, span});
        }
    }
}

} // namespace razeziruzer
