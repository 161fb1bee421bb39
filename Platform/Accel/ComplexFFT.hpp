#pragma once
// Forward complex DFT of one fixed length N, in single precision:
//     X[k] = sum over n of x[n] * exp(-2*pi*i*k*n / N),  k = 0 ... N-1,
// unscaled (no 1/N, no factor 2). Any length works (radix-2 or not, e.g. 400).
// The object is a cheap handle on a shared plan: copy it freely and call it
// from several threads at once, each with its own buffers.

#include <complex>
#include <cstddef>
#include <optional>
#include <span>

struct fftwf_plan_s;

namespace platform::accel {

class ComplexFFT {
public:
    // nullopt when no transform of this length can be made (0, or too long).
    static std::optional<ComplexFFT> create(std::size_t length);

    std::size_t length() const noexcept { return length_; }

    // Interleaved form: input and output hold N values each and must not overlap.
    void forward(std::span<const std::complex<float>> input, std::span<std::complex<float>> output) const;

    // Split form: four arrays of N values; no output may overlap an input.
    // Runs the interleaved transform through per-thread scratch (two copies).
    void forward(std::span<const float> realIn, std::span<const float> imagIn,
                 std::span<float> realOut, std::span<float> imagOut) const;

private:
    ComplexFFT(std::size_t length, fftwf_plan_s* plan)
        : length_(length), plan_(plan) {}

    std::size_t length_;
    fftwf_plan_s* plan_;
};

} // namespace platform::accel
