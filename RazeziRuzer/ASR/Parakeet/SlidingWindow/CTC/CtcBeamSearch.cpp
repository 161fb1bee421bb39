#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CTC/CtcBeamSearch.hpp"

#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CTC/CtcBeam.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CTC/CtcPrefixArena.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CTC/CtcTokenPieces.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CTC/CtcTokenText.hpp"

#include <algorithm>
#include <cstdint>
#include <unordered_map>

namespace razeziruzer {

namespace {

constexpr float minusInfinity = -std::numeric_limits<float>::infinity();

// A hypothesis while the search runs: CtcBeam with its prefix shared in the
// arena. Its language-model state is a function of the prefix, so it is held
// as a node of the prefix and word ids: extending a beam copies no text.
struct SearchBeam {
    CtcPrefixArena::Id prefix = CtcPrefixArena::empty;
    float pBlank = 0;
    float pNonBlank = minusInfinity;
    float lmScore = 0;
    // The word being built began at this node (its word-start token), or at
    // the start of the prefix when no token started it; its text is
    // `wordBytes` long.
    CtcPrefixArena::Id wordStart = CtcPrefixArena::empty;
    std::size_t wordBytes = 0;
    // The model's id of the last completed word; absent before the first
    // word and for a word the model does not hold, which score alike.
    std::optional<std::uint32_t> prevWord;

    float totalAcoustic() const { return logAddExp(pBlank, pNonBlank); }
    float total() const { return totalAcoustic() + lmScore; }
};

// What every step of one search reads.
struct Search {
    const CtcTokenPieces& pieces;
    const ARPALanguageModel* lm;
    float lmWeight;
    float wordBonus;
    CtcPrefixArena& arena;
};

// Beams keyed by prefix, iterated in the order their prefixes first arrived.
// The arena stores each prefix once, so its node identifies it.
class BeamSet {
public:
    void merge(const SearchBeam& beam) {
        const auto [slot, inserted] = index_.try_emplace(beam.prefix, beams_.size());
        if (inserted) return beams_.push_back(beam);
        // The stored beam keeps its language-model state: it depends on the prefix alone.
        SearchBeam& stored = beams_[slot->second];
        stored.pBlank = logAddExp(stored.pBlank, beam.pBlank);
        stored.pNonBlank = logAddExp(stored.pNonBlank, beam.pNonBlank);
    }

    std::vector<SearchBeam> take() { return std::move(beams_); }

private:
    std::unordered_map<CtcPrefixArena::Id, std::size_t> index_;
    std::vector<SearchBeam> beams_;
};

// The model's id of the beam's word. Only a word no longer than the model's
// longest is read back, so the cost stays bounded however long the word grows.
std::optional<std::uint32_t> wordId(const SearchBeam& beam, const Search& search) {
    if (beam.wordBytes > search.lm->longestWordBytes()) return std::nullopt;
    return search.lm->wordId(search.pieces.word(search.arena, beam.prefix, beam.wordStart, beam.wordBytes));
}

float wordScore(std::optional<std::uint32_t> word, const SearchBeam& beam, const Search& search) {
    return search.lmWeight * search.lm->score(word, beam.prevWord) + search.wordBonus;
}

// The language-model step of extending `beam` by a token with `piece` into
// `extended`: a word-start piece completes the beam's word (when it has any
// text) and starts the next. `finished` holds the completed word's id once
// looked up, as every word-start token of the frame completes the same word.
float stepWord(const SearchBeam& beam, const CtcTokenPieces::Piece& piece, const Search& search, SearchBeam& extended,
               std::optional<std::optional<std::uint32_t>>& finished) {
    if (!piece.startsWord) {
        extended.wordBytes = beam.wordBytes + piece.wordText.size();
        return 0;
    }
    extended.wordStart = extended.prefix;
    extended.wordBytes = piece.wordText.size();
    if (beam.wordBytes == 0) return 0;
    if (!finished) finished = wordId(beam, search);
    extended.prevWord = *finished;
    return wordScore(*finished, beam, search);
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
            const Search& search, BeamSet& next) {
    const float total = beam.totalAcoustic();
    SearchBeam blankEnded = beam;
    blankEnded.pBlank = blank + total;
    blankEnded.pNonBlank = minusInfinity;
    next.merge(blankEnded);
    const std::optional<int> lastToken = beam.prefix == CtcPrefixArena::empty
                                             ? std::nullopt
                                             : std::optional<int>(search.arena.lastToken(beam.prefix));
    std::optional<std::optional<std::uint32_t>> finished;
    for (const int token : tokens) {
        const float p = static_cast<std::size_t>(token) < frame.size() ? frame[static_cast<std::size_t>(token)]
                                                                        : minusInfinity;
        const bool repeat = lastToken == token;
        SearchBeam extended = beam;
        extended.prefix = search.arena.extend(beam.prefix, token);
        extended.pBlank = minusInfinity;
        // A repeated token needs a blank in between to be a new one.
        extended.pNonBlank = (repeat ? beam.pBlank : total) + p;
        const float step = search.lm ? stepWord(beam, search.pieces[token], search, extended, finished) : 0.0f;
        extended.lmScore = beam.lmScore + step;
        if (repeat) {
            SearchBeam collapsed = beam;
            collapsed.pBlank = minusInfinity;
            collapsed.pNonBlank = beam.pNonBlank + p;
            next.merge(collapsed);
        }
        next.merge(extended);
    }
}

std::vector<SearchBeam> prune(std::vector<SearchBeam> beams, std::size_t beamWidth) {
    std::stable_sort(beams.begin(), beams.end(),
                     [](const SearchBeam& a, const SearchBeam& b) { return a.total() > b.total(); });
    if (beams.size() > beamWidth) beams.resize(beamWidth);
    return beams;
}

void finishOpenWords(std::vector<SearchBeam>& beams, const Search& search) {
    for (auto& beam : beams) {
        if (beam.wordBytes > 0) beam.lmScore += wordScore(wordId(beam, search), beam, search);
    }
}

// Lets the arena drop the prefixes of pruned beams.
void collectPrefixes(CtcPrefixArena& arena, std::vector<SearchBeam>& beams) {
    std::vector<CtcPrefixArena::Id*> live;
    live.reserve(2 * beams.size());
    for (auto& beam : beams) {
        live.push_back(&beam.prefix);
        live.push_back(&beam.wordStart);
    }
    arena.collect(live);
}

std::string joined(const std::vector<std::string>& pieces) {
    std::string word;
    for (const auto& piece : pieces) word += piece;
    return word;
}

// The word pieces and previous word of a finished beam, in text, read once
// from its tokens.
void spellWords(const std::vector<int>& tokens, const CtcTokenPieces& pieces, CtcBeam& beam) {
    for (const int token : tokens) {
        const auto& piece = pieces[token];
        if (!piece.startsWord) {
            beam.wordPieces.emplace_back(piece.wordText);
            continue;
        }
        if (std::string word = joined(beam.wordPieces); !word.empty()) beam.prevWord = std::move(word);
        beam.wordPieces.clear();
        if (!piece.wordText.empty()) beam.wordPieces.emplace_back(piece.wordText);
    }
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
    const CtcTokenPieces pieces(vocabulary, vocabularySize);
    const Search search{pieces, lm, lmWeight, wordBonus, arena};
    std::vector<SearchBeam> beams{SearchBeam{}};
    for (const auto& frame : logProbs) {
        const float blank = blankId >= 0 && static_cast<std::size_t>(blankId) < frame.size()
                                ? frame[static_cast<std::size_t>(blankId)]
                                : minusInfinity;
        const auto tokens = candidates(frame, vocabularySize, blankId, limit);
        BeamSet next;
        for (const auto& beam : beams) extend(beam, frame, blank, tokens, search, next);
        beams = prune(next.take(), width);
        collectPrefixes(arena, beams);
    }
    if (lm) finishOpenWords(beams, search);
    std::vector<CtcBeam> result;
    result.reserve(beams.size());
    for (const auto& beam : beams) {
        CtcBeam& out = result.emplace_back(
            CtcBeam{arena.tokens(beam.prefix), beam.pBlank, beam.pNonBlank, beam.lmScore, {}, std::nullopt});
        if (lm) spellWords(out.prefix, pieces, out);
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
