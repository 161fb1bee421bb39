#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CTC/CtcBeamSearch.hpp"

#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CTC/CtcBeam.hpp"
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

struct PrefixHash {
    std::size_t operator()(const std::vector<int>& prefix) const {
        std::size_t hash = prefix.size();
        for (const int id : prefix) hash ^= std::hash<int>{}(id) + 0x9e3779b9 + (hash << 6) + (hash >> 2);
        return hash;
    }
};

// Beams keyed by prefix, iterated in the order their prefixes first arrived.
class BeamSet {
public:
    void merge(CtcBeam beam) {
        const auto [slot, inserted] = index_.try_emplace(beam.prefix, beams_.size());
        if (inserted) {
            beams_.push_back(std::move(beam));
            return;
        }
        CtcBeam& stored = beams_[slot->second];
        stored.pBlank = logAddExp(stored.pBlank, beam.pBlank);
        stored.pNonBlank = logAddExp(stored.pNonBlank, beam.pNonBlank);
    }
    std::vector<CtcBeam> take() { return std::move(beams_); }

private:
    std::unordered_map<std::vector<int>, std::size_t, PrefixHash> index_;
    std::vector<CtcBeam> beams_;
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

WordStep wordStep(const CtcBeam& beam, const std::string& piece, const ARPALanguageModel* lm, float lmWeight,
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

void extend(const CtcBeam& beam, const std::vector<float>& frame, float blank, const std::vector<int>& tokens,
            const Vocabulary& vocabulary, const ARPALanguageModel* lm, float lmWeight, float wordBonus,
            BeamSet& next) {
    const float total = beam.totalAcoustic();
    next.merge({beam.prefix, blank + total, minusInfinity, beam.lmScore, beam.wordPieces, beam.prevWord});
    for (const int token : tokens) {
        const float p = static_cast<std::size_t>(token) < frame.size() ? frame[static_cast<std::size_t>(token)]
                                                                        : minusInfinity;
        const auto found = vocabulary.find(token);
        const std::string piece = found != vocabulary.end() ? found->second : std::string();
        WordStep step = wordStep(beam, piece, lm, lmWeight, wordBonus);
        std::vector<int> extended = beam.prefix;
        extended.push_back(token);
        if (beam.lastToken() == token) {
            next.merge({beam.prefix, minusInfinity, beam.pNonBlank + p, beam.lmScore, beam.wordPieces, beam.prevWord});
            next.merge({std::move(extended), minusInfinity, beam.pBlank + p, beam.lmScore + step.score,
                        std::move(step.wordPieces), std::move(step.prevWord)});
        } else {
            next.merge({std::move(extended), minusInfinity, total + p, beam.lmScore + step.score,
                        std::move(step.wordPieces), std::move(step.prevWord)});
        }
    }
}

std::vector<CtcBeam> prune(std::vector<CtcBeam> beams, std::size_t beamWidth) {
    std::stable_sort(beams.begin(), beams.end(),
                     [](const CtcBeam& a, const CtcBeam& b) { return a.total() > b.total(); });
    if (beams.size() > beamWidth) beams.resize(beamWidth);
    return beams;
}

void finishOpenWords(std::vector<CtcBeam>& beams, const ARPALanguageModel& lm, float lmWeight, float wordBonus) {
    for (auto& beam : beams) {
        if (const std::string word = joined(beam.wordPieces); !word.empty()) {
            beam.lmScore += lmWeight * lm.score(word, beam.prevWord) + wordBonus;
        }
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
    std::vector<CtcBeam> beams{CtcBeam{}};
    for (const auto& frame : logProbs) {
        const float blank = blankId >= 0 && static_cast<std::size_t>(blankId) < frame.size()
                                ? frame[static_cast<std::size_t>(blankId)]
                                : minusInfinity;
        const auto tokens = candidates(frame, vocabularySize, blankId, limit);
        BeamSet next;
        for (const auto& beam : beams) extend(beam, frame, blank, tokens, vocabulary, lm, lmWeight, wordBonus, next);
        beams = prune(next.take(), width);
    }
    if (lm) finishOpenWords(beams, *lm, lmWeight, wordBonus);
    return beams;
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
