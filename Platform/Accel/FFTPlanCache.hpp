#pragma once
// Process-wide store of single-precision FFTW plans, one per transform kind
// and length. FFTW's planner is not thread-safe, so every plan is made here
// under one lock; executing a finished plan on new arrays is thread-safe and
// needs no lock. Plans live until the process ends.

#include <cstddef>
#include <map>
#include <mutex>
#include <utility>

struct fftwf_plan_s;

namespace platform::accel {

// Plans work on interleaved complex values only: FFTW runs a split-array plan
// on new arrays only when their real-to-imaginary distance equals the one it
// was planned with, which arbitrary caller arrays do not honour.
enum class FFTKind {
    complex, // N std::complex<float> in, N out
    real,    // N float in, N/2+1 std::complex<float> out
};

class FFTPlanCache {
public:
    static FFTPlanCache& shared();

    FFTPlanCache() = default;
    FFTPlanCache(const FFTPlanCache&) = delete;
    FFTPlanCache& operator=(const FFTPlanCache&) = delete;
    ~FFTPlanCache();

    // The forward plan for this kind and length, made on first request;
    // nullptr when FFTW cannot make one (length 0 or beyond its range).
    // Plans are out-of-place, input-preserving and make no alignment
    // assumption, so they run on any caller buffers.
    fftwf_plan_s* plan(FFTKind kind, std::size_t length);

private:
    std::mutex mutex_;
    std::map<std::pair<FFTKind, std::size_t>, fftwf_plan_s*> plans_;
};

} // namespace platform::accel
