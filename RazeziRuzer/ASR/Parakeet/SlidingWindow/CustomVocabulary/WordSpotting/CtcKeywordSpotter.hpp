#pragma once
// Finds vocabulary terms in audio: runs the CTC front end and encoder over
// 15 s windows (overlapping ones for longer audio), turns the CTC head's
// scores into per-frame log-probabilities and aligns each term's tokens
// against them. Immutable; copies share the models.

#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/ContextBiasingConstants.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/CustomVocabularyContext.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/WordSpotting/CtcModels.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/WordSpotting/KeywordDetection.hpp"
#include "RazeziRuzer/Shared/AppLogger.hpp"

#include <optional>

namespace razeziruzer {

class CtcKeywordSpotter {
public:
    struct CtcLogProbResult {
        CtcLogProbFrames logProbs;
        double frameDuration = 0;
        std::int64_t totalFrames = 0;
        std::int64_t audioSamplesUsed = 0;
    };

    CtcKeywordSpotter(CtcModels models, std::int64_t blankId);

    std::int64_t blankId() const { return blankId_; }
    const CtcModels& models() const { return models_; }

    // Throws the model runtime's errors and ASRError::processingFailed.
    SpotKeywordsResult spotKeywordsWithLogProbs(const std::vector<float>& audioSamples,
                                                const CustomVocabularyContext& customVocabulary,
                                                std::optional<float> minScore) const;
    SpotKeywordsResult spotKeywordsFromLogProbs(const CtcLogProbFrames& logProbs, double frameDuration,
                                                const CustomVocabularyContext& customVocabulary,
                                                std::optional<float> minScore) const;
    ConstrainedSpot ctcWordSpotConstrained(const CtcLogProbFrames& logProbs,
                                           const std::vector<std::int64_t>& keywordTokens,
                                           std::int64_t searchStartFrame, std::int64_t searchEndFrame) const;

    // The log-probabilities of any length of 16 kHz audio.
    CtcLogProbResult computeLogProbs(const std::vector<float>& audioSamples) const;

    static CtcLogProbFrames applyLogSoftmax(const CtcLogProbFrames& rawLogits, std::int64_t blankId,
                                            float temperature, float blankBias);

    static constexpr std::int64_t sampleRate = 16000;
    static constexpr std::int64_t maxModelSamples = 240000;
    static constexpr std::int64_t chunkOverlapSamples = 32000;

private:
    CtcLogProbResult computeLogProbsChunked(const std::vector<float>& audioSamples) const;
    CtcLogProbResult computeWithStagedModels(const float* samples, std::size_t count) const;
    CtcLogProbFrames makeLogProbs(const platform::coreml::MLMultiArray& output) const;

    AppLogger logger_;
    CtcModels models_;
    std::int64_t blankId_;
    bool debugMode_ = false;
    float temperature_ = ContextBiasingConstants::ctcTemperature;
    float blankBias_ = ContextBiasingConstants::blankBias;
};

} // namespace razeziruzer
