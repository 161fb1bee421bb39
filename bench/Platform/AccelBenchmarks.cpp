// Cost of the numeric kernels behind the mel front ends and model glue.
// Frame-based kernels report "per_audio_second": the time they take for one
// second of 16 kHz audio at a 160-sample hop (100 frames).

#include "Platform/Accel/Blas.hpp"
#include "Platform/Accel/ComplexFFT.hpp"
#include "Platform/Accel/Float16.hpp"
#include "Platform/Accel/RealFFT.hpp"

#include <benchmark/benchmark.h>

#include <complex>
#include <cstdint>
#include <random>
#include <vector>

namespace {

constexpr double framesPerAudioSecond = 16000.0 / 160.0;

std::vector<float> noise(std::size_t n) {
    std::mt19937 generator(42);
    std::uniform_real_distribution<float> distribution(-1.0f, 1.0f);
    std::vector<float> values(n);
    for (auto& value : values) value = distribution(generator);
    return values;
}

void reportAudioRate(benchmark::State& state) {
    state.counters["per_audio_second"] =
        benchmark::Counter(static_cast<double>(state.iterations()) / framesPerAudioSecond,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_RealFFT(benchmark::State& state) {
    const auto n = static_cast<std::size_t>(state.range(0));
    const auto fft = *platform::accel::RealFFT::create(n);
    const auto frame = noise(n);
    std::vector<std::complex<float>> bins(fft.binCount());
    for (auto _ : state) {
        fft.forward(frame, bins);
        benchmark::DoNotOptimize(bins.data());
    }
    reportAudioRate(state);
}
BENCHMARK(BM_RealFFT)->Arg(400)->Arg(512)->Arg(1024)->Arg(2048);

void BM_RealFFTSplit(benchmark::State& state) {
    const auto n = static_cast<std::size_t>(state.range(0));
    const auto fft = *platform::accel::RealFFT::create(n);
    const auto frame = noise(n);
    std::vector<float> re(fft.binCount()), im(fft.binCount());
    for (auto _ : state) {
        fft.forward(frame, re, im);
        benchmark::DoNotOptimize(re.data());
        benchmark::DoNotOptimize(im.data());
    }
    reportAudioRate(state);
}
BENCHMARK(BM_RealFFTSplit)->Arg(512);

// A real frame through the complex transform with a zero imaginary part.
void BM_ComplexFFTSplit(benchmark::State& state) {
    const auto n = static_cast<std::size_t>(state.range(0));
    const auto fft = *platform::accel::ComplexFFT::create(n);
    const auto real = noise(n);
    const std::vector<float> imag(n, 0.0f);
    std::vector<float> realOut(n), imagOut(n);
    for (auto _ : state) {
        fft.forward(real, imag, realOut, imagOut);
        benchmark::DoNotOptimize(realOut.data());
        benchmark::DoNotOptimize(imagOut.data());
    }
    reportAudioRate(state);
}
BENCHMARK(BM_ComplexFFTSplit)->Arg(512)->Arg(1024)->Arg(2048);

// One frame's mel energies: 128 bands over 257 power bins.
void BM_SgemvMelFilterbank(benchmark::State& state) {
    constexpr std::size_t bands = 128, bins = 257;
    const auto filterbank = noise(bands * bins);
    const auto power = noise(bins);
    std::vector<float> mel(bands);
    for (auto _ : state) {
        platform::accel::sgemv(platform::accel::Transpose::none, bands, bins, 1.0f, filterbank, power, 0.0f, mel);
        benchmark::DoNotOptimize(mel.data());
    }
    reportAudioRate(state);
}
BENCHMARK(BM_SgemvMelFilterbank);

constexpr std::size_t conversionCount = 1 << 20;

void BM_FloatToHalf(benchmark::State& state) {
    const auto values = noise(conversionCount);
    std::vector<std::uint16_t> halves(conversionCount);
    for (auto _ : state) {
        platform::accel::convertFloatToHalf(values, halves);
        benchmark::DoNotOptimize(halves.data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(conversionCount));
}
BENCHMARK(BM_FloatToHalf);

void BM_HalfToFloat(benchmark::State& state) {
    std::vector<std::uint16_t> halves(conversionCount);
    platform::accel::convertFloatToHalf(noise(conversionCount), halves);
    std::vector<float> values(conversionCount);
    for (auto _ : state) {
        platform::accel::convertHalfToFloat(halves, values);
        benchmark::DoNotOptimize(values.data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(conversionCount));
}
BENCHMARK(BM_HalfToFloat);

} // namespace
