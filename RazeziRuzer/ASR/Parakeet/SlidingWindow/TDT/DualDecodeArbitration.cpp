#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/DualDecodeArbitration.hpp"

#include "RazeziRuzer/Shared/ASRConstants.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace razeziruzer {

namespace {

constexpr float negativeInfinity = -std::numeric_limits<float>::infinity();
constexpr double frameSeconds = ASRConstants::secondsPerEncoderFrame;

// Half the overlap, in whole frames: 12 for 2.0 s.
std::int64_t agreementToleranceFrames(double overlapSeconds) {
    const double frames = overlapSeconds / frameSeconds;
    if (!(frames > 0)) return 0;
    return static_cast<std::int64_t>(std::min(frames, 1e15)) / 2;
}

// A tokens that C also decoded, probe chunk by probe chunk.
std::int64_t agreeingTokens(const DualDecodeArbitration::ProbeTally& a, const DualDecodeArbitration::ProbeTally& c,
                            std::int64_t tolerance) {
    std::int64_t matched = 0;
    for (std::size_t j = 0; j < a.lists.size() && j < c.lists.size(); ++j) {
        for (const auto& t : a.lists[j]) {
            const bool found = std::any_of(c.lists[j].begin(), c.lists[j].end(), [&](const TokenEntry& u) {
                return u.token == t.token &&
                       std::llabs(static_cast<long long>(t.timestamp) - static_cast<long long>(u.timestamp)) <= tolerance;
            });
            if (found) ++matched;
        }
    }
    return matched;
}

float ratio(std::int64_t numerator, std::int64_t denominator) {
    return denominator > 0 ? static_cast<float>(numerator) / static_cast<float>(denominator) : 1.0f;
}

} // namespace

void DualDecodeArbitration::ProbeTally::add(std::vector<TokenEntry> list) {
    for (const auto& token : list) confidenceSum += token.confidence;
    count += static_cast<std::int64_t>(list.size());
    lists.push_back(std::move(list));
}

float DualDecodeArbitration::ProbeTally::meanConfidence() const {
    return count >= 1 ? confidenceSum / static_cast<float>(count) : negativeInfinity;
}

DualDecodeArbitration::DualDecodeArbitration(const ProbeTally& a, const ProbeTally& b, const ProbeTally& c,
                                             double overlapSeconds)
    : confA(a.meanConfidence()),
      confB(b.meanConfidence()),
      confC(c.meanConfidence()),
      ratioBA(ratio(b.count, a.count)),
      ratioCA(ratio(c.count, a.count)),
      agreementCA(ratio(agreeingTokens(a, c, agreementToleranceFrames(overlapSeconds)), a.count)) {
    const float confLow = confA - 0.03f;
    const float confHigh = confA + 0.03f;
    const float confBarelyAbove = confA + 0.001f;
    if (a.count == 0) {
        choice = Chunking::a;
    } else if (ratioCA >= 1.15f && agreementCA >= 0.75f && confC <= confHigh && confC >= confLow) {
        choice = Chunking::c;
    } else if (ratioBA < 0.6f) {
        choice = Chunking::a;
    } else if (ratioBA <= 0.9f && confB > confBarelyAbove) {
        choice = Chunking::b;
    } else {
        choice = Chunking::a;
    }
}

std::string DualDecodeArbitration::logLine(const ProbeTally& a, const ProbeTally& b, const ProbeTally& c) const {
    return "[dual-decode probe] A=(n=" + std::to_string(a.count) + ", conf=" + floatText(confA) +
           ") B=(n=" + std::to_string(b.count) + ", conf=" + floatText(confB) + ") C=(n=" + std::to_string(c.count) +
           ", conf=" + floatText(confC) + ") B/A=" + floatText(ratioBA) + " C/A=" + floatText(ratioCA) +
           " C-agree=" + floatText(agreementCA) + " -> " + letter(choice);
}

char DualDecodeArbitration::letter(Chunking chunking) {
    switch (chunking) {
    case Chunking::a: return 'A';
    case Chunking::b: return 'B';
    case Chunking::c: return 'C';
    }
    return '?';
}

std::string DualDecodeArbitration::floatText(float value) {
    if (std::isnan(value)) return "nan";
    if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
    char buffer[64];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    std::string text(buffer, written.ptr);
    if (text.find('.') == std::string::npos) text += ".0";
    return text;
}

} // namespace razeziruzer
