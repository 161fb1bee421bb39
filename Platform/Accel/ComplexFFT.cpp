#include "Platform/Accel/ComplexFFT.hpp"

#include "Platform/Accel/BufferOverlap.hpp"
#include "Platform/Accel/FFTPlanCache.hpp"
#include "Platform/Accel/FFTScratch.hpp"

#include <fftw3.h>

#include <stdexcept>
#include <string>

namespace platform::accel {

namespace {

void requireLength(std::size_t actual, std::size_t expected) {
    if (actual != expected)
        throw std::invalid_argument("complex FFT: buffer of " + std::to_string(actual) + " values for a length-" +
                                    std::to_string(expected) + " transform");
}

} // namespace

std::optional<ComplexFFT> ComplexFFT::create(std::size_t length) {
    fftwf_plan plan = FFTPlanCache::shared().plan(FFTKind::complex, length);
    if (!plan) return std::nullopt;
    return ComplexFFT(length, plan);
}

void ComplexFFT::forward(std::span<const std::complex<float>> input, std::span<std::complex<float>> output) const {
    requireLength(input.size(), length_);
    requireLength(output.size(), length_);
    if (buffersOverlap(input, output)) throw std::invalid_argument("complex FFT: input and output overlap");
    // The plan preserves its input, so dropping const is safe.
    auto* in = reinterpret_cast<fftwf_complex*>(const_cast<std::complex<float>*>(input.data()));
    fftwf_execute_dft(plan_, in, reinterpret_cast<fftwf_complex*>(output.data()));
}

void ComplexFFT::forward(std::span<const float> realIn, std::span<const float> imagIn,
                         std::span<float> realOut, std::span<float> imagOut) const {
    for (const auto size : {realIn.size(), imagIn.size(), realOut.size(), imagOut.size()}) requireLength(size, length_);
    for (const auto out : {realOut, imagOut})
        if (buffersOverlap(realIn, out) || buffersOverlap(imagIn, out))
            throw std::invalid_argument("complex FFT: input and output overlap");
    if (buffersOverlap(realOut, imagOut)) throw std::invalid_argument("complex FFT: output arrays overlap");
    const auto in = fftScratch(0, length_), out = fftScratch(1, length_);
    for (std::size_t i = 0; i < length_; ++i) in[i] = {realIn[i], imagIn[i]};
    forward(in, out);
    for (std::size_t i = 0; i < length_; ++i) {
        realOut[i] = out[i].real();
        imagOut[i] = out[i].imag();
    }
}

} // namespace platform::accel
