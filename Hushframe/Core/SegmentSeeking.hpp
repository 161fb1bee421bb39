#pragma once
// The segment finder of the decoding core; the main object only holds it and
// hands it to each transcription task.

namespace hushframe {

class SegmentSeeking {
public:
    virtual ~SegmentSeeking() = default;
};

} // namespace hushframe
