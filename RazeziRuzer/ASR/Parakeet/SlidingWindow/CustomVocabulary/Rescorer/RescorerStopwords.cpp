#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/Rescorer/RescorerStopwords.hpp"

namespace razeziruzer::RescorerStopwords {

namespace {

// Common verbs and adverbs that are stopwords alone but not inside a phrase.
const std::unordered_set<std::string>& singleOnly() {
    static const std::unordered_set<std::string> words = {
        "go",    "goes", "went", "come", "comes", "came",  "get",  "got",  "take",    "took",
        "make",  "made", "say",  "said", "see",   "saw",   "know", "knew", "think",   "thought",
        "just",  "also", "only", "even", "still", "now",   "here", "there", "very",   "well",
        "back",  "way",  "own",  "new",  "old",   "good",  "great", "first", "last"};
    return words;
}

} // namespace

const std::unordered_set<std::string>& multiWordStopwords() {
    static const std::unordered_set<std::string> words = {
        "a",     "an",    "the",   "some",  "any",   "no",    "every", "each",  "all",   "and",   "or",
        "but",   "so",    "if",    "then",  "than",  "as",    "in",    "on",    "at",    "to",    "for",
        "of",    "with",  "by",    "from",  "up",    "down",  "out",   "about", "into",  "over",  "after",
        "before", "between", "under", "is",  "are",   "was",   "were",  "be",    "been",  "being", "am",
        "have",  "has",   "had",   "do",    "does",  "did",   "will",  "would", "can",   "could", "i",
        "you",   "he",    "she",   "it",    "we",    "they",  "me",    "him",   "her",   "us",    "them",
        "my",    "your",  "his",   "its",   "our",   "their", "this",  "that",  "these", "those", "who",
        "what",  "which", "where", "when",  "how",   "why"};
    return words;
}

const std::unordered_set<std::string>& stopwords() {
    static const std::unordered_set<std::string> words = [] {
        auto all = multiWordStopwords();
        all.insert(singleOnly().begin(), singleOnly().end());
        return all;
    }();
    return words;
}

} // namespace razeziruzer::RescorerStopwords
