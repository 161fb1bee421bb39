#pragma once
// Fixed figures of the Parakeet audio front end, encoder and decoder.

#include <algorithm>
#include <array>
#include <string_view>

namespace razeziruzer::ASRConstants {

inline constexpr int sampleRate = 16000;
inline constexpr double maxDurationSeconds = 15.0;
inline constexpr int maxModelSamples = 240000;
inline constexpr double minimumAudioDurationSeconds = 0.3;
inline constexpr int melHopSize = 160;
inline constexpr int encoderSubsampling = 8;
inline constexpr int samplesPerEncoderFrame = 1280;
inline constexpr double secondsPerEncoderFrame = 0.08;
inline constexpr int encoderHiddenSize = 1024;
inline constexpr int decoderHiddenSize = 640;
inline constexpr int standardOverlapFrames = 25;
inline constexpr double highWERThreshold = 0.15;
inline constexpr float minConfidence = 0.1f;
inline constexpr float maxConfidence = 1.0f;
// U+2581, the word-start marker of SentencePiece tokens.
inline constexpr std::string_view sentencePieceWordBoundary = "\u2581";
inline constexpr std::array<int, 3> punctuationTokens{7883, 7952, 7948};

inline constexpr bool isPunctuationToken(int token) {
    return std::find(punctuationTokens.begin(), punctuationTokens.end(), token) != punctuationTokens.end();
}

// Encoder frames covering the samples (a partial frame counts whole).
int calculateEncoderFrames(int from);
// Samples in the shortest accepted audio at that rate, truncated.
int minimumRequiredSamples(int forSampleRate);

} // namespace razeziruzer::ASRConstants
