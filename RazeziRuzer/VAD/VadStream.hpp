#pragma once
// What a caller keeps between streaming chunks, the speech boundaries the
// detector reports while streaming, and the outcome of one streaming chunk.

#include "RazeziRuzer/VAD/VadState.hpp"

#include <cstdint>
#include <optional>

namespace razeziruzer {

struct VadStreamState {
    VadState modelState;
    bool triggered = false;
    // Where the current run of silence inside speech was first seen.
    std::optional<std::int64_t> tempEndSample;
    // Samples consumed so far, counted as the caller gave them.
    std::int64_t processedSamples = 0;

    static VadStreamState initial() { return {VadState::initial(), false, std::nullopt, 0}; }

    bool operator==(const VadStreamState&) const = default;
};

struct VadStreamEvent {
    enum class Kind { speechStart, speechEnd };

    Kind kind = Kind::speechStart;
    std::int64_t sampleIndex = 0;
    // Present only when the caller asked for seconds.
    std::optional<double> time;

    bool isStart() const { return kind == Kind::speechStart; }
    bool isEnd() const { return kind == Kind::speechEnd; }

    bool operator==(const VadStreamEvent&) const = default;
};

struct VadStreamResult {
    VadStreamState state;
    // At most one boundary per chunk.
    std::optional<VadStreamEvent> event;
    float probability = 0;
};

} // namespace razeziruzer
