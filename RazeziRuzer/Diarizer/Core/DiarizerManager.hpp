#pragma once
// Who spoke when: cuts 16 kHz mono audio into chunks, finds up to three local
// speakers per chunk, embeds each one, matches it against the speaker database
// (which lives on across calls) and turns the matched speakers' frames into
// timed segments. One caller at a time.

#include "RazeziRuzer/Diarizer/Clustering/SpeakerManager.hpp"
#include "RazeziRuzer/Diarizer/Core/DiarizationResult.hpp"
#include "RazeziRuzer/Diarizer/Core/DiarizerConfig.hpp"
#include "RazeziRuzer/Diarizer/Core/DiarizerModels.hpp"
#include "RazeziRuzer/Diarizer/Extraction/EmbeddingExtractor.hpp"
#include "RazeziRuzer/Diarizer/Segmentation/AudioValidation.hpp"
#include "RazeziRuzer/Diarizer/Segmentation/SegmentationProcessor.hpp"
#include "RazeziRuzer/Shared/AppLogger.hpp"

#include <optional>
#include <span>
#include <vector>

namespace razeziruzer {

class DiarizerManager {
public:
    // Frames of the segmentation model are this far apart, in seconds.
    static constexpr double frameStep = 0.016875;
    static constexpr double frameDuration = 0.0619375;
    // Samples the segmentation model sees per chunk.
    static constexpr std::int64_t segmentationWindow = 160000;

    explicit DiarizerManager(DiarizerConfig config = {});

    void initialize(DiarizerModels models);
    void cleanup();
    bool isAvailable() const { return models_.has_value(); }

    bool validateEmbedding(std::span<const float> embedding) const;
    AudioValidationResult validateAudio(std::span<const float> samples) const;
    // Seeds the speaker database, keeping stored and permanent speakers.
    void initializeKnownSpeakers(const std::vector<Speaker>& speakers);

    // An embedding of the whole audio (its first 10 s, short audio repeated).
    std::vector<float> extractSpeakerEmbedding(std::span<const float> samples);

    // Chunks never exceed the segmentation window, so no audio goes unseen;
    // an overlap as long as the chunk is refused. A failure in any chunk
    // fails the call and leaves the speaker database as it was before it.
    DiarizationResult performCompleteDiarization(std::span<const float> samples, int sampleRate = 16000,
                                                 double atTime = 0);

    const DiarizerConfig& config() const { return config_; }
    SpeakerManager speakerManager;
    std::optional<EmbeddingExtractor> embeddingExtractor;

private:
    struct ChunkTimings {
        double segmentation = 0;
        double embedding = 0;
        double assignment = 0;
    };
    struct ChunkResult {
        std::vector<TimedSpeakerSegment> segments;
        ChunkTimings timings;
    };
    ChunkResult processChunk(std::span<const float> chunk, double chunkOffset, std::int64_t chunkSize,
                             std::vector<float>& chunkBuffer);
    std::vector<TimedSpeakerSegment> createTimedSegments(const std::vector<std::vector<float>>& segments,
                                                         double start,
                                                         const std::vector<std::vector<float>>& embeddings,
                                                         const std::vector<std::string>& speakerIds,
                                                         const std::vector<float>& activities) const;

    AppLogger logger_{"Diarizer"};
    DiarizerConfig config_;
    std::optional<DiarizerModels> models_;
    SegmentationProcessor segmentationProcessor_;
    AudioValidation audioValidation_;
};

} // namespace razeziruzer
