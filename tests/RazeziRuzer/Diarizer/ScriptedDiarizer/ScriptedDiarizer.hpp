#pragma once
// Scripted diarizer models with the real feature names and shapes. Audio
// carries a speaker code per segmentation frame (270 samples): silence is 0,
// speaker k (1 ... 8) is the amplitude k / 10. The segmentation model gives
// the chunk's speakers local slots in order of first appearance and scores the
// matching single-speaker powerset class 1.0 (class 0 for silence). The
// embedding model finds the code most frequent under row 0 of the mask and
// answers a unit vector along that speaker's axis (with a small shared
// component), so embeddings tell speakers apart. Both can be made to fail.

#include "Platform/CoreML/MLModel.hpp"
#include "Platform/CoreML/MLModelBackend.hpp"

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

namespace razeziruzer::diarizertest {

inline constexpr int frames = 589;
inline constexpr int samplesPerFrame = 270;

// One entry per frame: a speaker code 1 ... 8 or 0 for silence.
std::vector<float> codedAudio(const std::vector<int>& speakerPerFrame);
// `seconds` of speaker k (0: silence), appended to audio.
void appendSpeech(std::vector<float>& audio, int speaker, double seconds);

struct ScriptedDiarizer {
    ScriptedDiarizer();

    platform::coreml::MLModel segmentationModel() const;
    platform::coreml::MLModel embeddingModel() const;

    std::shared_ptr<platform::coreml::MLModelBackend> segmentation;
    std::shared_ptr<platform::coreml::MLModelBackend> embedding;
    // Prediction calls so far; a call whose number equals failOn* throws.
    std::shared_ptr<std::atomic<int>> segmentationCalls = std::make_shared<std::atomic<int>>(0);
    std::shared_ptr<std::atomic<int>> embeddingCalls = std::make_shared<std::atomic<int>>(0);
    std::shared_ptr<std::atomic<int>> failOnSegmentationCall = std::make_shared<std::atomic<int>>(-1);
    // Inputs of the last embedding call (row 0 of each).
    std::shared_ptr<std::vector<float>> lastWaveform = std::make_shared<std::vector<float>>();
    std::shared_ptr<std::vector<float>> lastMask = std::make_shared<std::vector<float>>();
};

} // namespace razeziruzer::diarizertest
