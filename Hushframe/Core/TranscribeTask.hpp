#pragma once
// One transcription run of the decoding core over one recording: it windows
// the audio itself, reports progress and newly found segments, and returns one
// result. Its errors reach the caller unchanged.

#include "Hushframe/Core/Configurations/DecodingOptions.hpp"
#include "Hushframe/Core/Models/TranscriptionProgress.hpp"
#include "Hushframe/Core/Models/TranscriptionResult.hpp"
#include "Hushframe/Core/Models/TranscriptionSegment.hpp"

#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <vector>

namespace hushframe {

using SegmentDiscoveryCallback = std::function<void(const std::vector<TranscriptionSegment>& segments)>;

class TranscribeTask {
public:
    virtual ~TranscribeTask() = default;

    virtual std::shared_ptr<TranscriptionResult> run(const std::vector<float>& audioArray,
                                                     const std::optional<DecodingOptions>& decodeOptions,
                                                     const TranscriptionCallback& callback) = 0;

    SegmentDiscoveryCallback segmentDiscoveryCallback;
    // Cooperative cancellation: a run checks it before the features, the
    // encoding and the decoding of each window and then throws
    // platform::CancellationError.
    std::stop_token stopToken;
};

} // namespace hushframe
