#pragma once
// The outcome of diarizing one recording: speech segments attributed to
// speakers, and optionally the speakers' embeddings, per-chunk embeddings and
// stage timings.

#include "Platform/Files/Uuid.hpp"
#include "RazeziRuzer/Diarizer/Core/ChunkEmbedding.hpp"
#include "RazeziRuzer/Diarizer/Core/PipelineTimings.hpp"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace razeziruzer {

// One stretch of speech of one speaker; each segment has its own identity,
// even when made from the same values as another.
struct TimedSpeakerSegment {
    TimedSpeakerSegment(std::string speakerId, std::vector<float> embedding, double startTimeSeconds,
                        double endTimeSeconds, float qualityScore)
        : speakerId(std::move(speakerId)), embedding(std::move(embedding)), startTimeSeconds(startTimeSeconds),
          endTimeSeconds(endTimeSeconds), qualityScore(qualityScore) {}

    platform::Uuid id;
    std::string speakerId;
    std::vector<float> embedding;
    // Double precision: a float keeps only about a quarter millisecond
    // after an hour of audio, and long recordings merge and cut on these.
    double startTimeSeconds = 0;
    double endTimeSeconds = 0;
    float qualityScore = 0;

    // Not checked: an end before the start gives a negative duration.
    double durationSeconds() const { return endTimeSeconds - startTimeSeconds; }
};

struct DiarizationResult {
    std::vector<TimedSpeakerSegment> segments;
    // Main embedding of every known speaker, when asked for.
    std::optional<std::map<std::string, std::vector<float>>> speakerDatabase;
    std::optional<std::vector<ChunkEmbedding>> chunkEmbeddings;
    std::optional<PipelineTimings> timings;
};

} // namespace razeziruzer
