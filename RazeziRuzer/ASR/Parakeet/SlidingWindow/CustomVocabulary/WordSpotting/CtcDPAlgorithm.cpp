#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/WordSpotting/CtcDPAlgorithm.hpp"

#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/ContextBiasingConstants.hpp"

#include <algorithm>

namespace razeziruzer::CtcDPAlgorithm {

namespace {

constexpr float reachabilityBound = impossibleScore / 2;

enum class SymbolKind { token, blank, wildcard };

struct Symbol {
    SymbolKind kind;
    std::int64_t id = 0;
};

std::vector<Symbol> buildExpandedSequence(const std::vector<std::int64_t>& keywordTokens) {
    std::vector<Symbol> sequence{{SymbolKind::blank}};
    for (const auto id : keywordTokens) {
        sequence.push_back(id == ContextBiasingConstants::wildcardTokenId ? Symbol{SymbolKind::wildcard}
                                                                           : Symbol{SymbolKind::token, id});
        sequence.push_back({SymbolKind::blank});
    }
    return sequence;
}

float emission(const std::vector<float>& frame, const Symbol& symbol, std::int64_t blankId) {
    const auto size = static_cast<std::int64_t>(frame.size());
    switch (symbol.kind) {
    case SymbolKind::token:
        return symbol.id >= 0 && symbol.id < size ? frame[static_cast<std::size_t>(symbol.id)] : impossibleScore;
    case SymbolKind::blank:
        return blankId >= 0 && blankId < size ? frame[static_cast<std::size_t>(blankId)] : 0.0f;
    case SymbolKind::wildcard:
        return 0.0f;
    }
    return impossibleScore;
}

bool skipAllowed(const std::vector<Symbol>& sequence, std::size_t s) {
    if (s < 2) return false;
    const auto& here = sequence[s];
    const auto& before = sequence[s - 2];
    switch (here.kind) {
    case SymbolKind::token:
        return !(before.kind == SymbolKind::token && before.id == here.id);
    case SymbolKind::wildcard:
        return before.kind != SymbolKind::wildcard;
    case SymbolKind::blank:
        return false;
    }
    return false;
}

} // namespace

DPTables fillDPTable(const CtcLogProbFrames& logProbs, const std::vector<std::int64_t>& keywordTokens,
                     std::int64_t blankId) {
    const std::size_t rows = logProbs.size() + 1;
    const std::size_t n = keywordTokens.size();
    DPTables tables;
    tables.columns = n + 1;
    tables.dp.assign(rows * tables.columns, impossibleScore);
    tables.backtrack.assign(rows * tables.columns, 0);
    tables.lastMatch.assign(rows * tables.columns, 0);
    for (std::size_t j = 0; j < rows; ++j) tables.dp[j * tables.columns] = 0;
    if (n == 0) return tables;

    const auto sequence = buildExpandedSequence(keywordTokens);
    const std::size_t states = sequence.size();
    std::vector<float> score(rows * states, impossibleScore);
    std::vector<std::int64_t> start(rows * states, 0);
    std::vector<std::int64_t> last(rows * states, 0);
    for (std::size_t j = 0; j < rows; ++j) {
        score[j * states] = 0;
        start[j * states] = static_cast<std::int64_t>(j);
    }
    for (std::size_t j = 1; j < rows; ++j) {
        const auto& frame = logProbs[j - 1];
        const std::size_t previous = (j - 1) * states;
        const std::size_t current = j * states;
        for (std::size_t s = 1; s < states; ++s) {
            std::size_t source = s;
            float chosen = score[previous + s];
            if (score[previous + s - 1] > chosen) {
                source = s - 1;
                chosen = score[previous + s - 1];
            }
            if (skipAllowed(sequence, s) && score[previous + s - 2] > chosen) {
                source = s - 2;
                chosen = score[previous + s - 2];
            }
            if (chosen <= reachabilityBound) continue;
            score[current + s] = emission(frame, sequence[s], blankId) + chosen;
            start[current + s] = start[previous + source];
            last[current + s] = sequence[s].kind == SymbolKind::blank ? last[previous + source]
                                                                       : static_cast<std::int64_t>(j);
        }
    }
    for (std::size_t j = 0; j < rows; ++j) {
        for (std::size_t l = 1; l <= n; ++l) {
            const std::size_t symbolState = j * states + 2 * l - 1;
            const std::size_t blankState = symbolState + 1;
            const std::size_t from = score[blankState] <= score[symbolState] ? symbolState : blankState;
            const std::size_t cell = j * tables.columns + l;
            tables.dp[cell] = score[from];
            tables.backtrack[cell] = start[from];
            tables.lastMatch[cell] = last[from];
        }
    }
    return tables;
}

std::size_t nonWildcardCount(const std::vector<std::int64_t>& tokens) {
    return static_cast<std::size_t>(std::count_if(tokens.begin(), tokens.end(), [](std::int64_t id) {
        return id != ContextBiasingConstants::wildcardTokenId;
    }));
}

std::vector<Detection> mergeOverlapping(std::vector<Detection> detections) {
    std::stable_sort(detections.begin(), detections.end(),
                     [](const Detection& a, const Detection& b) { return a.startFrame < b.startFrame; });
    std::vector<Detection> merged;
    for (const auto& item : detections) {
        if (!merged.empty() && merged.back().endFrame >= item.startFrame) {
            auto& kept = merged.back();
            kept = {std::max(kept.score, item.score), item.score > kept.score ? item.startFrame : kept.startFrame,
                    std::max(kept.endFrame, item.endFrame)};
        } else {
            merged.push_back(item);
        }
    }
    return merged;
}

std::vector<Detection> ctcWordSpotMultiple(const CtcLogProbFrames& logProbs,
                                           const std::vector<std::int64_t>& keywordTokens, float minScore,
                                           bool mergeOverlap, std::int64_t blankId) {
    const std::size_t frames = logProbs.size();
    const std::size_t n = keywordTokens.size();
    if (frames == 0 || n == 0) return {};
    const auto tables = fillDPTable(logProbs, keywordTokens, blankId);
    const std::size_t count = nonWildcardCount(keywordTokens);
    const float norm = count > 0 ? static_cast<float>(count) : 1.0f;
    if (frames < n) return {};

    const auto normalised = [&](std::size_t row) { return tables.score(row, n) / norm; };
    std::vector<Detection> detections;
    for (std::size_t j = n; j <= frames; ++j) {
        const float cur = normalised(j);
        const float prev = j > n ? normalised(j - 1) : impossibleScore;
        const float next = j < frames ? normalised(j + 1) : impossibleScore;
        if (cur >= prev && cur > next && cur >= minScore) {
            detections.push_back({cur, tables.start(j, n), tables.end(j, n)});
        }
    }
    if (detections.empty()) {
        std::size_t bestRow = 0;
        float best = impossibleScore;
        for (std::size_t j = n; j <= frames; ++j) {
            if (normalised(j) > best) {
                best = normalised(j);
                bestRow = j;
            }
        }
        if (best >= minScore) detections.push_back({best, tables.start(bestRow, n), tables.end(bestRow, n)});
    }
    return mergeOverlap ? mergeOverlapping(std::move(detections)) : detections;
}

} // namespace razeziruzer::CtcDPAlgorithm
