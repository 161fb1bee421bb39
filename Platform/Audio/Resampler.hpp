#pragma once
// A streaming sample-rate converter on interleaved float frames (libsoxr at
// its very high quality, the library's most exact recipe). Filter state
// carries over from one call to the next; flush() ends the stream and yields
// the filter's tail.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

struct soxr;

namespace platform::audio {

class Resampler {
public:
    // Throws AudioError(invalidFormat) when the resampler cannot be made.
    Resampler(double inputRate, double outputRate, std::uint32_t channels);

    // Resamples `frames` interleaved frames, appending the output to `out`.
    void process(const float* input, std::size_t frames, std::vector<float>& out);
    // Appends everything still inside the filter; afterwards only clear() makes it usable again.
    void flush(std::vector<float>& out);
    // Forgets all state, ready for a fresh stream.
    void clear();

private:
    struct Delete {
        void operator()(soxr* handle) const;
    };
    void run(const float* input, std::size_t frames, std::size_t* consumed, std::size_t room, std::vector<float>& out);

    std::unique_ptr<soxr, Delete> handle_;
    double ratio_;
    std::uint32_t channels_;
};

} // namespace platform::audio
