#pragma once
// Settings of the online diarizer.

#include <cstdint>

namespace razeziruzer {

struct DiarizerConfig {
    // Base cosine-distance threshold: the speaker database gets 1.2 times it
    // for assignment and 0.8 times it for embedding updates.
    float clusteringThreshold = 0.7f;
    float minSpeechDuration = 1.0f;           // seconds
    float minEmbeddingUpdateDuration = 2.0f;  // seconds
    float minSilenceGap = 0.5f;               // seconds; kept, not read
    std::int64_t numClusters = -1;            // kept, not read
    // Frames of activity a local speaker needs in a chunk to be embedded.
    float minActiveFramesCount = 10.0f;
    // Adds the speaker database and stage timings to results.
    bool debugMode = false;
    float chunkDuration = 10.0f;  // seconds
    float chunkOverlap = 0.0f;    // seconds

    static const DiarizerConfig& default_() {
        static const DiarizerConfig shared{};
        return shared;
    }
};

} // namespace razeziruzer
