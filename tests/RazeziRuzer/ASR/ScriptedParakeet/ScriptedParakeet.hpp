#pragma once
// A Parakeet model set for tests whose transcript is a deterministic function
// of the audio. Each 1280-sample frame carries one token in its amplitude
// (codedAudio); silence (amplitude 0) carries none. The preprocessor reads the
// codes, the encoder lays them out as frames ([1, H, T] or [1, T, H]) with the
// token's ordinal among the coded frames and the frame index, the decoder
// counts the tokens it was fed, and the joint emits a frame's token exactly
// once (ordinal above the count), with duration class 1, otherwise the blank.
// Every joint answer can be replaced through Options::joint. The models have
// the feature names, shapes and types of the real ones; calls are counted,
// not recorded, so long runs stay cheap.

#include "Platform/CoreML/MLModelBackend.hpp"
#include "Platform/CoreML/MLModelBackendRegistry.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/AsrModels.hpp"

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace razeziruzer::scriptedparakeet {

inline constexpr int samplesPerFrame = 1280;
inline constexpr float amplitudeStep = 1e-4f;

// One frame per entry: a token id, or -1 for a silent frame.
std::vector<float> codedAudio(const std::vector<int>& tokensPerFrame);

// The encoder output the scripted encoder gives for those frames ([1, H, T]
// when hiddenFirst), for driving the decoder directly.
platform::coreml::MLMultiArray encoderOutput(const std::vector<int>& tokensPerFrame, std::int64_t hiddenSize = 1024,
                                             bool hiddenFirst = true);

// What the joint sees at one step.
struct JointQuery {
    int frame = 0;          // window frame of the encoder step
    int token = -1;         // token coded in that frame, -1 for silence
    int ordinal = 0;        // 1-based index of that token among the window's coded frames
    int emittedCount = 0;   // non-blank tokens the decoder has been fed since the state was zeroed
    int lastToken = -1;     // last token the decoder was fed (the blank after priming)
};

struct JointAnswer {
    JointAnswer(int tokenId = 0, float probability = 1, int durationBin = 1,
                std::optional<std::vector<int>> topKIds = std::nullopt,
                std::optional<std::vector<float>> topKLogits = std::nullopt)
        : tokenId(tokenId), probability(probability), durationBin(durationBin), topKIds(std::move(topKIds)),
          topKLogits(std::move(topKLogits)) {}

    int tokenId = 0;
    float probability = 1;
    int durationBin = 1;
    std::optional<std::vector<int>> topKIds;
    std::optional<std::vector<float>> topKLogits;
};

struct Options {
    AsrModelVersion version = AsrModelVersion::v3;
    bool encoderHiddenFirst = true;          // encoder output [1, H, T]; else [1, T, H]
    bool projectionHiddenLast = false;       // decoder projection [1, 1, 640]; else [1, 640, 1]
    std::vector<std::string> extraEncoderInputs;  // declared encoder inputs the preprocessor does not produce
    int topK = 0;                            // > 0: the joint declares and returns top-K outputs
    bool stridedTopK = true;                 // top-K outputs laid out with a stride of 2
    std::function<JointAnswer(const JointQuery&)> joint;  // empty: the default rule above
    std::function<void()> onPreprocessor;    // runs at every preprocessor call
};

// Calls made to each model, and the layout of the arrays the joint was fed.
struct Counters {
    std::atomic<int> preprocessor{0};
    std::atomic<int> encoder{0};
    std::atomic<int> decoder{0};
    std::atomic<int> joint{0};
    std::atomic<std::int64_t> encoderStepStride{0};  // stride of axis 1 of "encoder_step"
    std::atomic<std::int64_t> decoderStepStride{0};  // stride of axis 1 of "decoder_step"
    std::atomic<int> lastAudioLength{0};             // "audio_length" of the last preprocessor call
};

class ScriptedParakeet {
public:
    explicit ScriptedParakeet(Options options = {});

    // "▁t<id>" for ids 0 ..< size, so a transcript reads "t3 t7 ...".
    static Vocabulary vocabulary(int size = 64);
    static std::string expectedText(const std::vector<int>& tokens);

    AsrModels models(Vocabulary vocabulary = ScriptedParakeet::vocabulary()) const;
    int blankId() const;

    // Lets MLModel::load run these models for bundles of the version's file names.
    std::vector<platform::coreml::MLModelBackendRegistry::Registration> registerBackends() const;

    const std::shared_ptr<Counters>& counters() const { return counters_; }
    std::shared_ptr<platform::coreml::MLModelBackend> preprocessor;
    std::shared_ptr<platform::coreml::MLModelBackend> encoder;
    std::shared_ptr<platform::coreml::MLModelBackend> decoder;
    std::shared_ptr<platform::coreml::MLModelBackend> joint;

private:
    Options options_;
    std::shared_ptr<Counters> counters_ = std::make_shared<Counters>();
};

} // namespace razeziruzer::scriptedparakeet
