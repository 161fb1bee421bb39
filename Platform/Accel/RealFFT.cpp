#include "Platform/Accel/RealFFT.hpp"

#include "Platform/Accel/BufferOverlap.hpp"
#include "Platform/Accel/FFTPlanCache.hpp"
#include "Platform/Accel/FFTScratch.hpp"

#include <fftw3.h>

#include <stdexcept>
#include <string>

namespace platform::accel {

namespace {

void requireLength(std::size_t actual, std::size_t expected, const char* what) {
    if (actual != expected)
        throw std::invalid_argument(std::string("real FFT: ") + what + " holds " + std::to_string(actual) +
                                    " values, expected " + std::to_string(expected));
}

} // namespace

std::optional<RealFFT> RealFFT::create(std::size_t length) {
    fftwf_plan plan = FFTPlanCache::shared().plan(FFTKind::real, length);
    if (!plan) return std::nullopt;
    return RealFFT(length, plan);
}

void RealFFT::forward(std::span<const float> input, std::span<std::complex<float>> output) const {
    requireLength(input.size(), length_, "input");
    requireLength(output.size(), binCount(), "output");
    if (buffersOverlap(input, output)) throw std::invalid_argument("real FFT: input and output overlap");
    // The plan preserves its input, so dropping const is safe.
    fftwf_execute_dft_r2c(plan_, const_cast<float*>(input.data()),
                          reinterpret_cast<fftwf_complex*>(output.data()));
}

void RealFFT::forward(std::span<const float> input, std::span<float> realOut, std::span<float> imagOut) const {
    requireLength(input.size(), length_, "input");
    requireLength(realOut.size(), binCount(), "real output");
    requireLength(imagOut.size(), binCount(), "imaginary output");
    if (buffersOverlap(input, realOut) || buffersOverlap(input, imagOut) || buffersOverlap(realOut, imagOut))
        throw std::invalid_argument("real FFT: buffers overlap");
    const auto bins = fftScratch(0, binCount());
    forward(input, bins);
    for (std::size_t k = 0; k < bins.size(); ++k) {
        realOut[k] = bins[k].real();
        imagOut[k] = bins[k].imag();
    }
}

} // namespace platform::accel
