#pragma once
// An end-of-utterance model set for tests whose transcript follows the audio
// and the caches the recogniser carries. Every encoder frame of audio (the
// chunk's shift divided by its decoded frames) holds a tone whose pitch names
// a token or the end-of-utterance mark, or silence. The streaming encoder
// finds the tone of each frame from the real log-mels, numbers the token
// frames across the stream with a count it keeps in its channel-length cache,
// and advances its other caches by one per chunk. The prediction network
// counts its emissions in its state; the joint answers a frame's token while
// the frame's number is above that count, the end-of-utterance id for a mark
// frame, else the blank. Calls are counted and a few cache values recorded,
// not whole inputs, so long streams stay cheap.

#include "Platform/CoreML/MLModelBackendRegistry.hpp"
#include "RazeziRuzer/ASR/Parakeet/Streaming/EOU/StreamingChunkSize.hpp"

#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace razeziruzer::scriptedeou {

inline constexpr int eouMark = -2;
inline constexpr int silence = -1;
inline constexpr int tokenCount = 8;

// One encoder frame per entry: a token below tokenCount, silence or eouMark.
std::vector<float> codedAudio(StreamingChunkSize size, const std::vector<int>& frames);
std::string expectedText(const std::vector<int>& frames);
std::int64_t samplesPerFrame(StreamingChunkSize size);

struct EncoderCall {
    double preCache;
    double channel;
    double time;
    std::int32_t channelLen;
    std::int32_t audioLength;
    std::vector<std::int64_t> audioSignalShape;
};

struct Record {
    std::mutex mutex;
    std::vector<EncoderCall> encoderCalls;
    std::atomic<int> decoderCalls{0};
    std::atomic<int> jointCalls{0};
    std::atomic<int> fusedCalls{0};
};

struct Options {
    bool fusedFile = false;                 // also write the fused model
    bool encoderGivesTimeCache = true;
    bool encoderGivesOutput = true;
    std::int64_t decoderTimeSteps = 1;      // time length of the decoder output
    std::function<void()> beforeJoint{};    // runs before each joint or fused answer; may throw
    std::function<std::int32_t(std::int32_t scripted)> jointAnswer{};  // replaces the joint's choice
};

class ScriptedEou {
public:
    ScriptedEou(const std::filesystem::path& folder, StreamingChunkSize size, Options options = {});

    const std::shared_ptr<Record>& record() const { return record_; }
    std::shared_ptr<platform::coreml::MLModelBackend> encoder, decoder, joint, fused;

private:
    std::shared_ptr<Record> record_ = std::make_shared<Record>();
    std::vector<platform::coreml::MLModelBackendRegistry::Registration> registrations_;
};

} // namespace razeziruzer::scriptedeou
