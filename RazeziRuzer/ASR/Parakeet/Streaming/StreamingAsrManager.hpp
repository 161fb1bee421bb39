#pragma once
// The common face of the speech package's live recognisers: audio goes in
// piece by piece, a growing transcript comes out, so one caller can drive
// recognisers of different model families alike. Conformers serialise their
// operations; callbacks run inside them and must be callable from any thread.

#include "Platform/Audio/PCMBuffer.hpp"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace razeziruzer {

using TranscriptCallback = std::function<void(const std::string& transcript)>;

class StreamingAsrManager {
public:
    virtual ~StreamingAsrManager() = default;

    virtual std::string displayName() const = 0;
    virtual void loadModels() = 0;
    virtual void appendAudio(const platform::audio::PCMBuffer& buffer) = 0;
    virtual void processBufferedAudio() = 0;
    virtual std::string finish() = 0;
    virtual void reset() = 0;
    virtual void cleanup() noexcept = 0;
    virtual void setPartialTranscriptCallback(TranscriptCallback callback) = 0;
    virtual std::string getPartialTranscript() const = 0;
};

// One start time in milliseconds per emitted token, from the stream start.
class StreamingAsrTokenTimestampProvider {
public:
    virtual ~StreamingAsrTokenTimestampProvider() = default;
    virtual std::vector<std::int64_t> getTokenTimestampsMs() const = 0;
};

// The raw vocabulary piece of each emitted token.
class StreamingAsrRawTokenProvider {
public:
    virtual ~StreamingAsrRawTokenProvider() = default;
    virtual std::vector<std::string> getRawTokenStrings() const = 0;
};

// The stream time in milliseconds of each confirmed end of utterance.
class StreamingAsrEouProvider {
public:
    virtual ~StreamingAsrEouProvider() = default;
    virtual std::vector<std::int64_t> getEouTimestampsMs() const = 0;
};

} // namespace razeziruzer
