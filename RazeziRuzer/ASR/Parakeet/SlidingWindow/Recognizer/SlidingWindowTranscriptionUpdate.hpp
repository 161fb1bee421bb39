#pragma once
// What the sliding-window recogniser emits for each window it decoded: that
// window's own text, whether it confirmed, and its tokens and their timings
// in stream time.

#include "RazeziRuzer/ASR/Parakeet/TokenTiming.hpp"

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace razeziruzer {

struct SlidingWindowTranscriptionUpdate {
    std::string text;
    bool isConfirmed = false;
    float confidence = 0;
    std::chrono::system_clock::time_point timestamp;
    std::vector<std::int64_t> tokenIds;
    std::vector<TokenTiming> tokenTimings;

    std::vector<std::string> tokens() const {
        std::vector<std::string> pieces;
        pieces.reserve(tokenTimings.size());
        for (const auto& timing : tokenTimings) pieces.push_back(timing.token);
        return pieces;
    }
};

} // namespace razeziruzer
