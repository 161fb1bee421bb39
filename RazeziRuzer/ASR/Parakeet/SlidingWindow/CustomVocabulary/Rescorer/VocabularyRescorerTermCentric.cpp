#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/Rescorer/VocabularyRescorer.hpp"

#include "Platform/Text/Characters.hpp"
#include "Platform/Text/UnicodeProperties.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/Rescorer/RescorerStopwords.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/Rescorer/VocabularyTextUtilities.hpp"

#include <algorithm>
#include <cmath>

namespace razeziruzer {

namespace {

constexpr float spanSimilarityFloor = 0.55f;
constexpr float blockingSimilarity = 0.9f;
constexpr std::size_t maxSpanWords = 4;
constexpr std::size_t maxRescueVocabulary = 10;

struct TermForms {
    std::vector<NormalizedForm> forms;
    std::unordered_set<std::string> texts;
    std::vector<std::string> multiWord;
    std::vector<std::string> singleWord;
    std::string normalizedText;
};

TermForms termForms(const CustomVocabularyTerm& term, const CustomVocabularyContext& vocabulary) {
    TermForms forms;
    forms.forms = buildNormalizedForms(term, vocabulary);
    for (const auto& form : forms.forms) {
        forms.texts.insert(form.normalized);
        (form.wordCount >= 2 ? forms.multiWord : forms.singleWord).push_back(form.normalized);
    }
    forms.normalizedText = normalizeForSimilarity(term.text());
    return forms;
}

float bestSimilarity(const std::string& text, const std::vector<std::string>& forms) {
    float best = 0;
    for (const auto& form : forms) best = std::max(best, stringSimilarity(text, form));
    return best;
}

bool anyAtLeast(const std::string& text, const std::vector<std::string>& forms, float threshold) {
    return std::any_of(forms.begin(), forms.end(),
                       [&](const std::string& form) { return stringSimilarity(text, form) >= threshold; });
}

std::string joinedWords(const std::vector<RescorerWordTiming>& words, std::size_t from, std::size_t count) {
    std::string text;
    for (std::size_t k = from; k < from + count; ++k) text += (k > from ? " " : "") + words[k].word;
    return text;
}

std::vector<std::int64_t> indexRange(std::size_t from, std::size_t count) {
    std::vector<std::int64_t> indices;
    for (std::size_t k = from; k < from + count; ++k) indices.push_back(static_cast<std::int64_t>(k));
    return indices;
}

CTCMatchCandidate makeCandidate(const std::vector<RescorerWordTiming>& words, std::size_t from, std::size_t count,
                                const CustomVocabularyTerm& term, const std::vector<std::int64_t>& tokens,
                                float similarity) {
    return {count == 1 ? words[from].word : joinedWords(words, from, count), term.text(), tokens, similarity,
            static_cast<std::int64_t>(count), indexRange(from, count), words[from].startTime,
            words[from + count - 1].endTime};
}

// Punctuation that stood around the replaced words stays around the term.
std::string withOuterPunctuation(const std::string& original, const std::string& replacement) {
    const auto characters = platform::text::characters(original);
    const auto isPunctuation = [](const std::string& character) {
        return platform::text::characterIs(character, platform::text::isPunctuation);
    };
    std::size_t lead = 0;
    while (lead < characters.size() && isPunctuation(characters[lead])) ++lead;
    if (lead == characters.size()) return replacement;
    std::size_t trail = characters.size();
    while (trail > lead && isPunctuation(characters[trail - 1])) --trail;
    std::string text;
    for (std::size_t i = 0; i < lead; ++i) text += characters[i];
    text += replacement;
    for (std::size_t i = trail; i < characters.size(); ++i) text += characters[i];
    return text;
}

long similarityBucket(float similarity) { return std::lround(similarity / 0.05f); }

} // namespace

RescoreOutput VocabularyRescorer::rescoreWithConstrainedCTCTermCentric(
    const std::string& transcript, const std::vector<WordTiming>& wordTimings, const CtcLogProbFrames& logProbs,
    double frameDuration, float cbw, double marginSeconds, float minSimilarity) const {
    if (wordTimings.empty() || logProbs.empty()) return {transcript, {}, false};
    std::vector<WordTiming> modifiedWords = wordTimings;
    const auto vocabularySet = buildVocabularyNormalizedSet(vocabulary_);
    std::vector<PendingReplacement> pending;
    for (const auto& term : vocabulary_.terms) {
        if (static_cast<std::int64_t>(platform::text::characterCount(term.text())) < vocabulary_.minTermLength) continue;
        const auto& tokens = term.searchTokenIds();
        if (!tokens || tokens->empty()) continue;
        termCentricMultiWord(term, wordTimings, logProbs, frameDuration, cbw, marginSeconds, minSimilarity,
                             vocabularySet, pending);
        termCentricSingleWord(term, wordTimings, logProbs, frameDuration, cbw, marginSeconds, minSimilarity,
                              vocabularySet, pending);
    }
    if (vocabulary_.terms.size() <= maxRescueVocabulary) {
        collectSpotterAnchoredCandidates(wordTimings, logProbs, frameDuration, cbw, marginSeconds, vocabularySet, pending);
    }
    std::unordered_set<std::int64_t> replacedIndices;
    std::vector<RescoringResult> replacements;
    return finalizeReplacements(pending, modifiedWords, replacedIndices, replacements);
}

void VocabularyRescorer::termCentricMultiWord(const CustomVocabularyTerm& term, const std::vector<WordTiming>& words,
                                              const CtcLogProbFrames& logProbs, double frameDuration, float cbw,
                                              double marginSeconds, float minSimilarity,
                                              const std::unordered_set<std::string>& vocabularySet,
                                              std::vector<PendingReplacement>& pending) const {
    const auto forms = termForms(term, vocabulary_);
    if (forms.multiWord.empty()) return;
    std::size_t minWords = maxSpanWords + 10;
    std::size_t maxWords = 0;
    for (const auto& form : forms.forms) {
        if (form.wordCount < 2) continue;
        minWords = std::min(minWords, static_cast<std::size_t>(form.wordCount));
        maxWords = std::max(maxWords, static_cast<std::size_t>(form.wordCount));
    }
    const std::size_t upper = std::min(maxWords + 1, maxSpanWords);
    const std::size_t count = words.size();
    if (upper < minWords || count < minWords) return;
    for (std::size_t length = minWords; length <= upper && length <= count; ++length) {
        for (std::size_t start = 0; start + length <= count; ++start) {
            const std::string spanText = joinedWords(words, start, length);
            const std::string normalized = normalizeForSimilarity(spanText);
            if (normalized.empty()) continue;
            const float best = bestSimilarity(normalized, forms.multiWord);
            if (normalized == forms.normalizedText) continue;
            if (vocabularySet.contains(normalized) && !forms.texts.contains(normalized)) continue;
            if (std::max(spanSimilarityFloor, minSimilarity) > best) continue;
            auto candidate = makeCandidate(words, start, length, term, *term.searchTokenIds(), best);
            auto result = evaluateCTCMatch(candidate, logProbs, frameDuration, cbw, marginSeconds);
            if (result.shouldReplace) pending.push_back({std::move(candidate), std::move(result), best});
        }
    }
}

void VocabularyRescorer::termCentricSingleWord(const CustomVocabularyTerm& term, const std::vector<WordTiming>& words,
                                               const CtcLogProbFrames& logProbs, double frameDuration, float cbw,
                                               double marginSeconds, float minSimilarity,
                                               const std::unordered_set<std::string>& vocabularySet,
                                               std::vector<PendingReplacement>& pending) const {
    const auto forms = termForms(term, vocabulary_);
    if (forms.singleWord.empty()) return;
    const std::size_t termLength = platform::text::characterCount(term.text());
    const std::size_t count = words.size();
    for (std::size_t i = 0; i < count; ++i) {
        const std::string word = normalizeForSimilarity(words[i].word);
        if (word.empty() || word == forms.normalizedText) continue;
        if (vocabularySet.contains(word) && !forms.texts.contains(word)) continue;
        float best = bestSimilarity(word, forms.singleWord);
        std::size_t kind = 1;
        const auto next = i + 1 < count ? std::optional(normalizeForSimilarity(words[i + 1].word)) : std::nullopt;
        const auto next2 = i + 2 < count ? std::optional(normalizeForSimilarity(words[i + 2].word)) : std::nullopt;
        const bool twoTried = next && !next->empty() && termLength >= 4 &&
                              !anyAtLeast(*next, forms.singleWord, blockingSimilarity);
        if (twoTried) {
            for (const auto& form : forms.singleWord) {
                const float s2 = stringSimilarity(word + *next, form);
                if (s2 > best) kind = 2;
                best = std::max(best, s2);
            }
        }
        if (twoTried && next2 && !next2->empty() && termLength >= 8 &&
            !anyAtLeast(*next2, forms.singleWord, blockingSimilarity)) {
            for (const auto& form : forms.singleWord) {
                const float s3 = stringSimilarity(word + *next + *next2, form);
                if (s3 > best) kind = 3;
                best = std::max(best, s3);
            }
        }
        float threshold = 0;
        if (kind == 1) {
            threshold = checkLengthRatioRules(word, term.text(), best, minSimilarity);
            if (RescorerStopwords::stopwords().contains(word)) continue;
        } else {
            threshold = std::max(spanSimilarityFloor, minSimilarity);
            for (std::size_t k = i; k < i + kind; ++k) {
                if (RescorerStopwords::multiWordStopwords().contains(normalizeForSimilarity(words[k].word))) {
                    threshold = std::max(ContextBiasingConstants::stopwordSpanSimilarity, threshold);
                }
            }
        }
        if (threshold > best) continue;
        auto candidate = makeCandidate(words, i, kind, term, *term.searchTokenIds(), best);
        auto result = evaluateCTCMatch(candidate, logProbs, frameDuration, cbw, marginSeconds);
        if (result.shouldReplace) pending.push_back({std::move(candidate), std::move(result), best});
    }
}

RescoreOutput VocabularyRescorer::finalizeReplacements(const std::vector<PendingReplacement>& pendingReplacements,
                                                       std::vector<WordTiming>& modifiedWords,
                                                       std::unordered_set<std::int64_t>& replacedIndices,
                                                       std::vector<RescoringResult>& replacements) const {
    auto ranked = pendingReplacements;
    std::stable_sort(ranked.begin(), ranked.end(), [](const PendingReplacement& a, const PendingReplacement& b) {
        const long bucketA = similarityBucket(a.similarity);
        const long bucketB = similarityBucket(b.similarity);
        if (bucketA != bucketB) return bucketA > bucketB;
        if (a.candidate.spanLength != b.candidate.spanLength) return a.candidate.spanLength < b.candidate.spanLength;
        return a.similarity > b.similarity;
    });
    for (const auto& pending : ranked) {
        const auto& indices = pending.candidate.spanIndices;
        if (indices.empty() || std::any_of(indices.begin(), indices.end(),
                                           [&](std::int64_t index) { return replacedIndices.contains(index); })) {
            continue;
        }
        modifiedWords[static_cast<std::size_t>(indices.front())].word =
            withOuterPunctuation(pending.candidate.originalPhrase, pending.result.replacement);
        for (std::size_t k = 1; k < indices.size(); ++k) modifiedWords[static_cast<std::size_t>(indices[k])].word.clear();
        replacedIndices.insert(indices.begin(), indices.end());
        replacements.push_back({pending.candidate.originalPhrase, pending.result.originalScore, pending.result.replacement,
                                pending.result.boostedVocabScore, true, pending.result.reason});
    }
    std::string text;
    for (const auto& word : modifiedWords) {
        if (word.word.empty()) continue;
        text += (text.empty() ? "" : " ") + word.word;
    }
    if (debugMode_) {
        logger_.debug("Final: " + text);
        logger_.debug("Replacements: " + std::to_string(replacements.size()));
        logger_.debug(std::string(43, '='));
    }
    return {std::move(text), replacements, !replacements.empty()};
}

} // namespace razeziruzer
