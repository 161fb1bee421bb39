#pragma once
// A Nemotron model set for tests whose transcript is a function of the audio
// and of the state the recogniser carries from chunk to chunk. Every
// 1280-sample frame carries one token in its amplitude (codedAudio); silence
// carries none. The preprocessor gives one mel frame per 160 samples holding
// the code; the encoder reads every eighth new frame of its window, numbers
// the coded frames across the stream with a running count it keeps in its
// time cache (so a lost or replayed cache changes the numbering), and
// advances its channel and length caches by one per chunk. The prediction
// network counts its emissions in its state, and the joint emits a frame's
// token while the frame's number is above that count, else the blank. So
// each coded frame yields its token exactly once when caches and states are
// carried right.

#include "Platform/CoreML/MLModelBackendRegistry.hpp"
#include "Platform/CoreML/ScriptedModelBackend.hpp"

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace razeziruzer::scriptednemotron {

inline constexpr int samplesPerFrame = 1280;
inline constexpr int vocabularySize = 16;
inline constexpr int blankId = vocabularySize;

// One 1280-sample frame per entry: a token id below vocabularySize, or -1 for silence.
std::vector<float> codedAudio(const std::vector<int>& tokensPerFrame);
// The transcript the vocabulary gives those tokens: "t3 t7 ...".
std::string expectedText(const std::vector<int>& tokensPerFrame);

struct Options {
    int chunkMs = 2240;              // 2240, 1120 or 560: the metadata's geometry
    bool fused = false;              // also write "decoder_joint.mlmodelc"
    bool encoderGivesCacheLen = true;
    // Runs before every joint (or fused) answer; may throw to fail a step.
    std::function<void()> beforeJoint{};
    // When set, the joint answers this token at every step instead of its rule.
    std::optional<int> alwaysEmit{};
};

class ScriptedNemotron {
public:
    // Writes a complete model folder (compiled model folders, "tokenizer.json",
    // "metadata.json") and registers the scripted backends for it.
    ScriptedNemotron(const std::filesystem::path& folder, Options options = {});

    const std::filesystem::path& folder() const { return folder_; }
    std::shared_ptr<platform::coreml::ScriptedModelBackend> preprocessor, encoder, decoder, joint, decoderJoint;

    static std::string metadataJson(int chunkMs);

private:
    std::filesystem::path folder_;
    std::vector<platform::coreml::MLModelBackendRegistry::Registration> registrations_;
};

} // namespace razeziruzer::scriptednemotron
