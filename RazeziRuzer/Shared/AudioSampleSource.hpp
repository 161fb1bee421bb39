#pragma once
// What long-audio code reads samples through, whether they sit in memory or
// on disk: a sample count and a copy of any stretch into the caller's buffer.
// Sources are immutable and may be read from several threads at once.

#include <cstddef>
#include <cstdint>

namespace razeziruzer {

class AudioSampleSource {
public:
    virtual ~AudioSampleSource() = default;

    virtual std::int64_t sampleCount() const = 0;

    // Copies samples offset ... offset + count - 1 to into[0 ...], clipped to
    // the samples that exist (a negative offset starts at 0); destination
    // places beyond the copied stretch are left as they were.
    virtual void copySamples(float* into, std::int64_t offset, std::int64_t count) const = 0;

protected:
    AudioSampleSource() = default;
    AudioSampleSource(const AudioSampleSource&) = default;
    AudioSampleSource& operator=(const AudioSampleSource&) = default;

    // The shared copying rule over `available` float samples stored as bytes
    // (possibly unaligned) from `samples` on.
    static void copyClipped(const std::byte* samples, std::int64_t available, float* into, std::int64_t offset,
                            std::int64_t count);
};

} // namespace razeziruzer
