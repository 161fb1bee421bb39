#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CTC/CtcBeamSearch.hpp"

#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CTC/CtcBeam.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CTC/CtcPrefixArena.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CTC/CtcTokenText.hpp"
#include "RazeziRuzer/Shared/ASRConstants.hpp"

#include <algorithm>
#include <numeric>
#include <string_view>
#include <unordered_map>

namespace razeziruzer {

namespace {

constexpr float minusInfinity = -std::numeric_limits<float>::infinity();
constexpr std::string_view wordStartMark = ASRConstants::sentencePieceWordBoundary;

// A hypothesis while the search runs: CtcBeam with its prefix shared in the arena.
struct SearchBeam {
    CtcPrefixArena::Id prefix = CtcPrefixArena::empty;
    float pBlank = 0;
    float pNonBlank = minusInfinity;
    float lmScore = 0;
    std::vector<std::string> wordPieces;
    std::optional<std::string> prevWord;

    float totalAcoustic() const { return logAddExp(pBlank, pNonBlank); }
    float total() const { return totalAcoustic() + lmScore; }
};

// Beams keyed by prefix, iterated in the order their prefixes first arrived.
// The arena stores each prefix once, so its node identifies it.
class BeamSet {
public:
    explicit BeamSet(CtcPrefixArena& arena) : arena_(arena) {}

    void merge(SearchBeam beam) {
        const auto [slot, inserted] = index_.try_emplace(beam.prefix, beams_.size());
        if (inserted) return beams_.push_back(std::move(beam));
        // The stored beam keeps its language-model state: it depends on the prefix alone.
        SearchBeam& stored = beams_[slot->second];
        stored.pBlank = logAddExp(stored.pBlank, beam.pBlank);
        stored.pNonBlank = logAddExp(stored.pNonBlank, beam.pNonBlank);
    }

    // A beam for `parent` followed by `token`.
    void mergeExtension(CtcPrefixArena::Id parent, int token, SearchBeam beam) {
        beam.prefix = arena_.extend(parent, token);
        merge(std::move(beam));
    }

    std::vector<SearchBeam> take() { return std::move(beams_); }

private:
    CtcPrefixArena& arena_;
    std::unordered_map<CtcPrefixArena::Id, std::size_t> index_;
    std::vector<SearchBeam> beams_;
};

std::string joined(const std::vector<std::string>& pieces) {
    std::string word;
    for (const auto& piece : pieces) word += piece;
    return word;
}

// The language-model step of appending `piece` to a beam.
struct WordStep {
    float score = 0;
    std::vector<std::string> wordPieces;
    std::optional<std::string> prevWord;
};

WordStep wordStep(const SearchBeam& beam, const std::string& piece, const ARPALanguageModel* lm, float lmWeight,
                  float wordBonus) {
    if (!lm) return {0, beam.wordPieces, beam.prevWord};
    if (!std::string_view(piece).starts_with(wordStartMark)) {
        WordStep step{0, beam.wordPieces, beam.prevWord};
        step.wordPieces.push_back(piece);
        return step;
    }
    WordStep step{0, {}, beam.prevWord};
    if (const std::string word = joined(beam.wordPieces); !word.empty()) {
        step.score = lmWeight * lm->score(word, beam.prevWord) + wordBonus;
        step.prevWord = word;
    }
    if (std::string rest = piece.substr(wordStartMark.size()); !rest.empty()) step.wordPieces.push_back(std::move(rest));
    return step;
}

// Non-blank ids by their value in the frame, best first; ties in id order.
std::vector<int> candidates(const std::vector<float>& frame, std::size_t vocabularySize, int blankId,
                            std::size_t limit) {
    std::vector<int> ids;
    for (std::size_t id = 0; id < vocabularySize; ++id) {
        if (static_cast<int>(id) != blankId) ids.push_back(static_cast<int>(id));
    }
    const auto value = [&](int id) {
        return static_cast<std::size_t>(id) < frame.size() ? frame[static_cast<std::size_t>(id)] : minusInfinity;
    };
    // Only the kept few are ordered: this runs on every frame over the whole vocabulary.
    const auto better = [&](int a, int b) { return value(a) > value(b) || (value(a) == value(b) && a < b); };
    const std::size_t kept = std::min(limit, ids.size());
    std::partial_sort(ids.begin(), ids.begin() + static_cast<std::ptrdiff_t>(kept), ids.end(), better);
    ids.resize(kept);
    return ids;
}

void extend(const SearchBeam& beam, const std::vector<float>& frame, float blank, const std::vector<int>& tokens,
            const Vocabulary& vocabulary, const ARPALanguageModel* lm, float lmWeight, float wordBonus,
            const CtcPrefixArena& arena, BeamSet& next) {
    const float total = beam.totalAcoustic();
    next.merge({beam.prefix, blank + total, minusInfinity, beam.lmScore, beam.wordPieces, beam.prevWord});
    const std::optional<int> lastToken =
        beam.prefix == CtcPrefixArena::empty ? std::nullopt : std::optional<int>(arena.lastToken(beam.prefix));
    for (const int token : tokens) {
        const float p = static_cast<std::size_t>(token) < frame.size() ? frame[static_cast<std::size_t>(token)]
                                                                        : minusInfinity;
        const auto found = vocabulary.find(token);
        const std::string piece = found != vocabulary.end() ? found->second : std::string();
        WordStep step = wordStep(beam, piece, lm, lmWeight, wordBonus);
        if (lastToken == token) {
            next.merge({beam.prefix, minusInfinity, beam.pNonBlank + p, beam.lmScore, beam.wordPieces, beam.prevWord});
            next.mergeExtension(beam.prefix, token,
                                {CtcPrefixArena::empty, minusInfinity, beam.pBlank + p, beam.lmScore + step.score,
                                 std::move(step.wordPieces), std::move(step.prevWord)});
        } else {
            next.mergeExtension(beam.prefix, token,
                                {CtcPrefixArena::empty, minusInfinity, total + p, beam.lmScore + step.score,
                                 std::move(step.wordPieces), std::move(step.prevWord)});
        }
    }
}

std::vector<SearchBeam> prune(std::vector<SearchBeam> beams, std::size_t beamWidth) {
    std::stable_sort(beams.begin(), beams.end(),
                     [](const SearchBeam& a, const SearchBeam& b) { return a.total() > b.total(); });
    if (beams.size() > beamWidth) beams.resize(beamWidth);
    return beams;
}

void finishOpenWords(std::vector<SearchBeam>& beams, const ARPALanguageModel& lm, float lmWeight, float wordBonus) {
    for (auto& beam : beams) {
        if (const std::string word = joined(beam.wordPieces); !word.empty()) {
            beam.lmScore += lmWeight * lm.score(word, beam.prevWord) + wordBonus;
        }
    }
}

// Lets the arena drop the prefixes of pruned beams.
void collectPrefixes(CtcPrefixArena& arena, std::vector<SearchBeam>& beams) {
    std::vector<CtcPrefixArena::Id*> live;
    live.reserve(beams.size());
    for (auto& beam : beams) live.push_back(&beam.prefix);
    arena.collect(live);
}

} // namespace

std::vector<CtcBeam> ctcPrefixBeams(const CtcLogProbFrames& logProbs, const Vocabulary& vocabulary,
                                    const ARPALanguageModel* lm, int beamWidth, float lmWeight, float wordBonus,
                                    int blankId, int tokenCandidates) {
    if (logProbs.empty() || logProbs.front().empty()) return {};
    const std::size_t vocabularySize = logProbs.front().size();
    const auto width = static_cast<std::size_t>(std::max(beamWidth, 0));
    const auto limit = static_cast<std::size_t>(std::max(tokenCandidates, 0));
    CtcPrefixArena arena;
    std::vector<SearchBeam> beams{SearchBeam{}};
    for (const auto& frame : logProbs) {
        const float blank = blankId >= 0 && static_cast<std::size_t>(blankId) < frame.size()
                                ? frame[static_cast<std::size_t>(blankId)]
                                : minusInfinity;
        const auto tokens = candidates(frame, vocabularySize, blankId, limit);
        BeamSet next(arena);
        for (const auto& beam : beams) {
            extend(beam, frame, blank, tokens, vocabulary, lm, lmWeight, wordBonus, arena, next);
        }
        beams = prune(next.take(), width);
        collectPrefixes(arena, beams);
    }
    if (lm) finishOpenWords(beams, *lm, lmWeight, wordBonus);
    std::vector<CtcBeam> result;
    result.reserve(beams.size());
    for (auto& beam : beams) {
        result.push_back({arena.tokens(beam.prefix), beam.pBlank, beam.pNonBlank, beam.lmScore,
                          std::move(beam.wordPieces), std::move(beam.prevWord)});
    }
    return result;
}

std::string ctcBeamSearch(const CtcLogProbFrames& logProbs, const Vocabulary& vocabulary,
                          const ARPALanguageModel* lm, int beamWidth, float lmWeight, float wordBonus, int blankId,
                          int tokenCandidates) {
    const auto beams =
        ctcPrefixBeams(logProbs, vocabulary, lm, beamWidth, lmWeight, wordBonus, blankId, tokenCandidates);
    const CtcBeam* best = nullptr;
    for (const auto& beam : beams) {
        if (!best || beam.total() > best->total()) best = &beam;
    }
    return best ? decodeCtcTokenIds(best->prefix, vocabulary) : std::string();
}

std::string ctcBeamSearch(const platform::coreml::MLMultiArray& logProbs, const Vocabulary& vocabulary,
                          const ARPALanguageModel* lm, int beamWidth, float lmWeight, float wordBonus, int blankId,
                          int tokenCandidates) {
    return ctcBeamSearch(ctcFramesFromArray(logProbs), vocabulary, lm, beamWidth, lmWeight, wordBonus, blankId,
                         tokenCandidates);
}

} // namespace razeziruzer
