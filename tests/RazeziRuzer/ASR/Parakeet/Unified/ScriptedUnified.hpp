#pragma once
// A unified Parakeet model set for tests whose transcript is a script of
// tokens per stream frame. The audio of stream frame f holds the value f + 1
// in every sample; the preprocessor passes the audio through and the encoder
// reads each frame's number back (0 for padding) beside the number of the
// window's first frame. The prediction network counts the tokens fed to it;
// the joint answers, for frame f, the script's next token of that frame while
// the count shows it not yet emitted, else the blank. Counts run over the
// whole stream or, for decoders reset per window, from the window's start.

#include "Platform/CoreML/MLModelBackend.hpp"
#include "Platform/CoreML/MLModelBackendRegistry.hpp"
#include "Platform/CoreML/MLModelConfiguration.hpp"
#include "RazeziRuzer/ASR/Parakeet/Unified/UnifiedEncoderPrecision.hpp"

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace razeziruzer::scriptedunified {

inline constexpr std::int32_t blank = 1024;
inline constexpr int vocabularySize = 16;

// tokens[f]: the tokens emitted on stream frame f, in order (ids below vocabularySize).
using Script = std::vector<std::vector<int>>;

std::vector<float> codedAudio(std::int64_t frames, std::int64_t tailSamples = 0);
std::string expectedText(const Script& script);
// A script of `frames` frames where frame f emits (f * 7) % vocabularySize every `every` frames.
Script everyNthFrame(std::int64_t frames, std::int64_t every);

struct Record {
    std::atomic<int> preprocessorCalls{0};
    std::atomic<int> encoderCalls{0};
    std::atomic<int> decoderCalls{0};
    std::atomic<int> jointCalls{0};
    std::mutex mutex;
    std::vector<std::int32_t> audioLengths;
    std::vector<std::int64_t> signalSizes;
    std::vector<platform::coreml::MLModelConfiguration> loadConfigurations;  // in load order
};

struct Options {
    bool countFromWindowStart = false;
    std::function<void()> beforeJoint{};     // may throw
    bool jointGivesProb = true;
    bool jointGivesToken = true;
    bool decoderGivesOutput = true;
    bool preprocessorGivesMel = true;
    bool encoderGivesOutput = true;
};

class ScriptedUnified {
public:
    // Writes the compiled folders of both encoders of `precision`, the other
    // three models and a vocabulary into `folder`.
    ScriptedUnified(const std::filesystem::path& folder, Script script, Options options = {},
                    UnifiedEncoderPrecision precision = UnifiedEncoderPrecision::int8);

    const std::shared_ptr<Record>& record() const { return record_; }
    std::shared_ptr<platform::coreml::MLModelBackend> preprocessor, encoder, decoder, joint;

private:
    std::shared_ptr<Record> record_ = std::make_shared<Record>();
    std::vector<platform::coreml::MLModelBackendRegistry::Registration> registrations_;
};

} // namespace razeziruzer::scriptedunified
