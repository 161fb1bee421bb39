#pragma once
// A v3 Parakeet model set as program bundles whose transcript is a plain
// function of the audio: each 1280-sample frame carries one token in its
// amplitude (codedFrameAudio), silence none. The front end reads the codes and
// numbers the coded frames of its window; the prediction network counts the
// tokens it was fed; the joint answers a frame's token while the frame's
// number is above that count, with duration class 1, otherwise the blank. So
// a decode that visits each frame once in order emits each coded frame's
// token exactly once. Every name, type and shape is the real models' (a
// 240,000-sample window, 1024-wide frames, a two-layer 640-wide state); the
// programs themselves are a handful of cheap operations.

#include <filesystem>
#include <string>
#include <vector>

namespace testsupport::parakeet {

inline constexpr int codedFrameSamples = 1280;
inline constexpr int codedVocabularySize = 64;

// One frame per entry: a token id below codedVocabularySize, or -1 for silence.
std::vector<float> codedFrameAudio(const std::vector<int>& tokensPerFrame);

// "t3 t7 ...": the transcript of those tokens under the set's vocabulary
// (piece "▁t<id>" for every id).
std::string codedTranscript(const std::vector<int>& tokens);

// Writes "Preprocessor.mlmodelc", "Encoder.mlmodelc", "Decoder.mlmodelc",
// "JointDecisionv3.mlmodelc" and "parakeet_vocab.json" into `folder`.
void writeCodedModelSet(const std::filesystem::path& folder);

} // namespace testsupport::parakeet
