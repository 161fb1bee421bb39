#pragma once
// Settings of the whole-recording diarizer, grouped by stage, with the
// community presets, validation and the speaker-count shortcuts.

#include <cstdint>
#include <optional>
#include <string>

namespace razeziruzer {

struct OfflineDiarizerConfig {
    struct Segmentation {
        double windowDurationSeconds = 10.0;
        std::int64_t sampleRate = 16000;
        double minDurationOn = 0.0;
        double minDurationOff = 0.0;
        double stepRatio = 0.2;
        float speechOnsetThreshold = 0.5f;
        float speechOffsetThreshold = 0.5f;

        static Segmentation community() { return {}; }
        bool operator==(const Segmentation&) const = default;
    };

    // Whether an embedding may be reused in place of recomputing it.
    struct EmbeddingSkipStrategy {
        enum class Kind : std::uint8_t { maskSimilarity, none };
        Kind kind = Kind::none;
        float threshold = 0;  // only for maskSimilarity

        static EmbeddingSkipStrategy maskSimilarity(float threshold) { return {Kind::maskSimilarity, threshold}; }
        static EmbeddingSkipStrategy none() { return {}; }
        bool operator==(const EmbeddingSkipStrategy&) const = default;
    };

    struct Embedding {
        std::int64_t batchSize = 32;
        bool excludeOverlap = true;
        double minSegmentDurationSeconds = 1.0;
        EmbeddingSkipStrategy skipStrategy;

        static Embedding community() { return {}; }
        bool operator==(const Embedding&) const = default;
    };

    struct Clustering {
        double threshold = 0.6;
        double warmStartFa = 0.07;
        double warmStartFb = 0.8;
        std::optional<std::int64_t> minSpeakers;
        std::optional<std::int64_t> maxSpeakers;
        std::optional<std::int64_t> numSpeakers;

        static Clustering community() { return {}; }
        bool operator==(const Clustering&) const = default;
    };

    struct VBx {
        std::int64_t maxIterations = 20;
        double convergenceTolerance = 1e-4;

        static VBx community() { return {}; }
        bool operator==(const VBx&) const = default;
    };

    struct PostProcessing {
        double minGapDurationSeconds = 0.1;
        bool exclusiveSegments = true;

        static PostProcessing community() { return {}; }
        bool operator==(const PostProcessing&) const = default;
    };

    struct Export {
        std::optional<std::string> embeddingsPath;

        static Export none() { return {}; }
        bool operator==(const Export&) const = default;
    };

    // The settings one can give without naming their stage; the speaker
    // counts start absent and chunk embeddings are not exposed.
    struct Flat {
        double clusteringThreshold;
        double Fa;
        double Fb;
        double windowDuration;
        std::int64_t sampleRate;
        double segmentationStepRatio;
        std::int64_t embeddingBatchSize;
        bool embeddingExcludeOverlap;
        EmbeddingSkipStrategy embeddingSkipStrategy;
        double minSegmentDuration;
        double minGapDuration;
        bool exclusiveSegments;
        float speechOnsetThreshold;
        float speechOffsetThreshold;
        double segmentationMinDurationOn;
        double segmentationMinDurationOff;
        std::int64_t maxVBxIterations;
        double convergenceTolerance;
        std::optional<std::string> embeddingExportPath;
    };

    Segmentation segmentation;
    Embedding embedding;
    Clustering clustering;
    VBx vbx;
    PostProcessing postProcessing;
    Export exportSettings;
    bool exposeChunkEmbeddings = false;

    static OfflineDiarizerConfig defaultConfig() { return {}; }
    static OfflineDiarizerConfig fromFlat(const Flat& flat);

    // Throws OfflineDiarizationError for the first rule that does not hold.
    void validate() const;

    // Copies with the speaker-count constraints replaced; no check here.
    OfflineDiarizerConfig withSpeakers(std::optional<std::int64_t> min, std::optional<std::int64_t> max) const;
    OfflineDiarizerConfig withSpeakersExactly(std::int64_t count) const;

    // Both need finite products within the 64-bit range (true once validated).
    std::int64_t samplesPerWindow() const;
    std::int64_t samplesPerStep() const;

    bool operator==(const OfflineDiarizerConfig&) const = default;
};

} // namespace razeziruzer
