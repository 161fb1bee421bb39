#include "Platform/Accel/FFTPlanCache.hpp"

#include <fftw3.h>

#include <climits>
#include <memory>

namespace platform::accel {

namespace {

struct FFTWFree {
    void operator()(void* memory) const { fftwf_free(memory); }
};
using FFTWBuffer = std::unique_ptr<float, FFTWFree>;

FFTWBuffer allocateFloats(std::size_t count) {
    return FFTWBuffer(fftwf_alloc_real(count));
}

// FFTW_ESTIMATE keeps planning fast and deterministic (no timing runs);
// FFTW_UNALIGNED lets the plan run on buffers of any alignment.
constexpr unsigned planFlags = FFTW_ESTIMATE | FFTW_UNALIGNED | FFTW_PRESERVE_INPUT;

fftwf_plan makePlan(FFTKind kind, int n) {
    const auto length = static_cast<std::size_t>(n);
    const auto out = allocateFloats(2 * length);
    const auto in = allocateFloats(kind == FFTKind::complex ? 2 * length : length);
    if (!in || !out) return nullptr;
    auto* complexOut = reinterpret_cast<fftwf_complex*>(out.get());
    if (kind == FFTKind::complex)
        return fftwf_plan_dft_1d(n, reinterpret_cast<fftwf_complex*>(in.get()), complexOut, FFTW_FORWARD, planFlags);
    return fftwf_plan_dft_r2c_1d(n, in.get(), complexOut, planFlags);
}

} // namespace

FFTPlanCache& FFTPlanCache::shared() {
    static FFTPlanCache cache;
    return cache;
}

FFTPlanCache::~FFTPlanCache() {
    const std::lock_guard lock(mutex_);
    for (const auto& [key, plan] : plans_)
        if (plan) fftwf_destroy_plan(plan);
}

fftwf_plan_s* FFTPlanCache::plan(FFTKind kind, std::size_t length) {
    // Lengths beyond int are outside FFTW's basic interface; the interleaved
    // complex buffer must also stay addressable in floats.
    if (length == 0 || length > INT_MAX / 2) return nullptr;
    const std::lock_guard lock(mutex_);
    const auto key = std::make_pair(kind, length);
    if (const auto found = plans_.find(key); found != plans_.end()) return found->second;
    fftwf_plan made = makePlan(kind, static_cast<int>(length));
    plans_.emplace(key, made);
    return made;
}

} // namespace platform::accel
