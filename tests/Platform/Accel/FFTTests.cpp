#include "Platform/Accel/ComplexFFT.hpp"
#include "Platform/Accel/RealFFT.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <latch>
#include <numbers>
#include <random>
#include <thread>
#include <vector>

namespace {

using platform::accel::ComplexFFT;
using platform::accel::RealFFT;

// The textbook forward DFT in double precision.
std::vector<std::complex<double>> referenceDFT(const std::vector<std::complex<float>>& x) {
    const std::size_t n = x.size();
    std::vector<std::complex<double>> result(n);
    for (std::size_t k = 0; k < n; ++k) {
        std::complex<double> total;
        for (std::size_t j = 0; j < n; ++j) {
            const double angle = -2.0 * std::numbers::pi * static_cast<double>((k * j) % n) / static_cast<double>(n);
            total += std::complex<double>(x[j]) * std::polar(1.0, angle);
        }
        result[k] = total;
    }
    return result;
}

std::vector<float> randomSignal(std::size_t n, unsigned seed) {
    std::mt19937 generator(seed);
    std::uniform_real_distribution<float> distribution(-1.0f, 1.0f);
    std::vector<float> signal(n);
    for (auto& value : signal) value = distribution(generator);
    return signal;
}

std::vector<std::complex<float>> randomComplexSignal(std::size_t n, unsigned seed) {
    const auto re = randomSignal(n, seed), im = randomSignal(n, seed + 1);
    std::vector<std::complex<float>> signal(n);
    for (std::size_t i = 0; i < n; ++i) signal[i] = {re[i], im[i]};
    return signal;
}

// Single-precision error grows about like log N times the spectrum's scale.
double tolerance(std::size_t n) { return 2e-5 * std::sqrt(static_cast<double>(n)) * std::log2(static_cast<double>(n) + 1); }

void expectNear(std::complex<float> actual, std::complex<double> expected, double tol, std::size_t bin) {
    EXPECT_NEAR(actual.real(), expected.real(), tol) << "bin " << bin;
    EXPECT_NEAR(actual.imag(), expected.imag(), tol) << "bin " << bin;
}

class FFTSizes : public testing::TestWithParam<std::size_t> {};

TEST_P(FFTSizes, ComplexTransformMatchesDirectDFTInBothLayouts) {
    const std::size_t n = GetParam();
    const auto fft = ComplexFFT::create(n);
    ASSERT_TRUE(fft);
    EXPECT_EQ(fft->length(), n);
    const auto input = randomComplexSignal(n, 7);
    const auto expected = referenceDFT(input);

    std::vector<std::complex<float>> output(n);
    fft->forward(input, output);

    std::vector<float> realIn(n), imagIn(n), realOut(n), imagOut(n);
    for (std::size_t i = 0; i < n; ++i) {
        realIn[i] = input[i].real();
        imagIn[i] = input[i].imag();
    }
    fft->forward(realIn, imagIn, realOut, imagOut);

    for (std::size_t k = 0; k < n; ++k) {
        expectNear(output[k], expected[k], tolerance(n), k);
        expectNear({realOut[k], imagOut[k]}, expected[k], tolerance(n), k);
    }
}

TEST_P(FFTSizes, RealTransformMatchesDirectDFTInBothLayouts) {
    const std::size_t n = GetParam();
    const auto fft = RealFFT::create(n);
    ASSERT_TRUE(fft);
    ASSERT_EQ(fft->binCount(), n / 2 + 1);
    const auto input = randomSignal(n, 11);
    const auto expected = referenceDFT(std::vector<std::complex<float>>(input.begin(), input.end()));
    const auto inputCopy = input;

    std::vector<std::complex<float>> output(fft->binCount());
    fft->forward(input, output);
    std::vector<float> realOut(fft->binCount()), imagOut(fft->binCount());
    fft->forward(input, realOut, imagOut);

    EXPECT_EQ(input, inputCopy) << "the input must be left unchanged";
    for (std::size_t k = 0; k < fft->binCount(); ++k) {
        expectNear(output[k], expected[k], tolerance(n), k);
        expectNear({realOut[k], imagOut[k]}, expected[k], tolerance(n), k);
    }
}

INSTANTIATE_TEST_SUITE_P(Lengths, FFTSizes, testing::Values(1, 7, 8, 400, 512, 1024));

TEST(FFT, PureToneLandsInItsBinWithUnscaledAmplitude) {
    // 1 kHz at 16 kHz: bin 1000 * N / 16000, i.e. 25 of 400 and 32 of 512.
    for (const std::size_t n : {400u, 512u}) {
        std::vector<float> tone(n);
        for (std::size_t i = 0; i < n; ++i)
            tone[i] = static_cast<float>(std::cos(2.0 * std::numbers::pi * 1000.0 * static_cast<double>(i) / 16000.0));
        const auto fft = RealFFT::create(n);
        ASSERT_TRUE(fft);
        std::vector<std::complex<float>> bins(fft->binCount());
        fft->forward(tone, bins);
        const std::size_t expectedBin = n * 1000 / 16000;
        for (std::size_t k = 0; k < bins.size(); ++k) {
            // A unit cosine on an exact bin gives N/2 there and nothing elsewhere.
            const double expected = k == expectedBin ? static_cast<double>(n) / 2.0 : 0.0;
            EXPECT_NEAR(std::abs(bins[k]), expected, 1e-3) << "n " << n << " bin " << k;
        }
    }
}

TEST(FFT, UnsupportedLengthGivesNoSetup) {
    EXPECT_FALSE(ComplexFFT::create(0));
    EXPECT_FALSE(RealFFT::create(0));
}

TEST(FFT, RejectsWrongSizesAndOverlappingBuffers) {
    const auto complexFFT = *ComplexFFT::create(8);
    const auto realFFT = *RealFFT::create(8);
    std::vector<std::complex<float>> eight(8), nine(9), five(5);
    std::vector<float> real8(8), other8(8), real5(5), other5(5), real4(4);

    EXPECT_THROW(complexFFT.forward(nine, eight), std::invalid_argument);
    EXPECT_THROW(complexFFT.forward(eight, nine), std::invalid_argument);
    EXPECT_THROW(complexFFT.forward(eight, eight), std::invalid_argument);
    std::vector<float> realOut8(8), imagOut8(8);
    EXPECT_THROW(complexFFT.forward(real8, other8, realOut8, real4), std::invalid_argument);
    EXPECT_THROW(complexFFT.forward(real8, other8, real8, imagOut8), std::invalid_argument);
    EXPECT_THROW(complexFFT.forward(real8, other8, realOut8, other8), std::invalid_argument);
    EXPECT_NO_THROW(complexFFT.forward(real8, other8, realOut8, imagOut8));
    EXPECT_THROW(realFFT.forward(real8, eight), std::invalid_argument);
    EXPECT_THROW(realFFT.forward(real8, real5, real4), std::invalid_argument);
    EXPECT_THROW(realFFT.forward(real8, real5, real5), std::invalid_argument);
    std::vector<float> shared(12);
    EXPECT_THROW(realFFT.forward(std::span(shared).first(8), std::span(shared).last(5), other5), std::invalid_argument);
    EXPECT_NO_THROW(realFFT.forward(real8, real5, other5));
}

TEST(FFT, ConcurrentCallersGetTheSameResultsAsOneCaller) {
    // Threads plan new lengths and run shared ones at the same moment, in
    // both layouts (the split one uses per-thread scratch).
    const std::vector<std::size_t> lengths{64, 400, 512, 96, 1024, 2048, 250, 160};
    constexpr int threadCount = 8;
    const auto lengthFor = [&](int thread, std::size_t i) {
        return lengths[(i + static_cast<std::size_t>(thread)) % lengths.size()];
    };
    const auto transform = [](std::size_t n, bool split) {
        const auto fft = ComplexFFT::create(n);
        const auto re = randomSignal(n, static_cast<unsigned>(n)), im = randomSignal(n, 1);
        std::vector<std::complex<float>> result(n);
        if (split) {
            std::vector<float> realOut(n), imagOut(n);
            fft->forward(re, im, realOut, imagOut);
            for (std::size_t k = 0; k < n; ++k) result[k] = {realOut[k], imagOut[k]};
        } else {
            std::vector<std::complex<float>> input(n);
            for (std::size_t k = 0; k < n; ++k) input[k] = {re[k], im[k]};
            fft->forward(input, result);
        }
        return result;
    };
    std::vector<std::vector<std::vector<std::complex<float>>>> results(threadCount);
    std::latch start(threadCount);
    {
        std::vector<std::jthread> threads;
        for (int t = 0; t < threadCount; ++t)
            threads.emplace_back([&, t] {
                start.arrive_and_wait();
                for (int round = 0; round < 4; ++round)
                    for (std::size_t i = 0; i < lengths.size(); ++i) {
                        auto result = transform(lengthFor(t, i), (round + t) % 2 == 0);
                        if (round == 0) results[t].push_back(std::move(result));
                    }
            });
    }
    for (int t = 0; t < threadCount; ++t)
        for (std::size_t i = 0; i < lengths.size(); ++i)
            EXPECT_EQ(results[t][i], transform(lengthFor(t, i), false)) << "thread " << t << " length " << lengthFor(t, i);
}

} // namespace
