#pragma once
// Forward DFT of N real samples, in single precision, giving the N/2+1 bins
// k = 0 ... N/2 (integer division) of
//     X[k] = sum over n of x[n] * exp(-2*pi*i*k*n / N),
// unscaled; the other bins are the complex conjugates of these. Packed real
// FFTs on some platforms return 2 * X[k]; this one returns X[k] itself, so
// callers porting such code drop their 0.5 factor. Any length works.
// A cheap handle on a shared plan, usable from several threads at once.

#include <complex>
#include <cstddef>
#include <optional>
#include <span>

struct fftwf_plan_s;

namespace platform::accel {

class RealFFT {
public:
    // nullopt when no transform of this length can be made (0, or too long).
    static std::optional<RealFFT> create(std::size_t length);

    std::size_t length() const noexcept { return length_; }
    std::size_t binCount() const noexcept { return length_ / 2 + 1; }

    // input holds N samples, output binCount() values; they must not overlap.
    void forward(std::span<const float> input, std::span<std::complex<float>> output) const;

    // Split form: real and imaginary parts in separate arrays of binCount()
    // values each (the imaginary parts of bin 0, and of bin N/2 for even N, are 0);
    // goes through per-thread scratch, one extra copy.
    void forward(std::span<const float> input, std::span<float> realOut, std::span<float> imagOut) const;

private:
    RealFFT(std::size_t length, fftwf_plan_s* plan)
        : length_(length), plan_(plan) {}

    std::size_t length_;
    fftwf_plan_s* plan_;
};

} // namespace platform::accel
