#include "RazeziRuzer/Shared/AudioMelSpectrogram.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <span>

namespace razeziruzer {
namespace {

using LogFloorMode = AudioMelSpectrogram::LogFloorMode;
using PaddingMode = AudioMelSpectrogram::PaddingMode;

constexpr float silentLog = -16.635532f; // ln(2^-24)

std::vector<float> testSignal(std::size_t n) {
    std::vector<float> audio(n);
    for (std::size_t i = 0; i < n; ++i) {
        audio[i] = static_cast<float>(0.4 * std::sin(0.05 * i) + 0.2 * std::sin(0.9 * i + 1) + 0.05 * std::cos(2.3 * i));
    }
    return audio;
}

TEST(AudioMelSpectrogramTest, FrameCountsOfTheFlatLayout) {
    AudioMelSpectrogram mel;
    const auto second = mel.computeFlat(std::vector<float>(16000, 0.1f), 0);
    EXPECT_EQ(second.melLength, 101);
    EXPECT_EQ(second.numFrames, 101);
    EXPECT_EQ(second.mel.size(), 128u * 101u);

    const auto one = mel.computeFlat(std::vector<float>{0.3f}, 0);
    EXPECT_EQ(one.melLength, 1);
    EXPECT_EQ(one.numFrames, 1);

    const auto none = mel.computeFlat({}, 0);
    EXPECT_EQ(none.melLength, 0);
    EXPECT_EQ(none.numFrames, 1);
    EXPECT_EQ(none.mel, std::vector<float>(128, 0.0f));
}

TEST(AudioMelSpectrogramTest, PaddedFramesStayZero) {
    AudioMelSpectrogram mel(16000, 128, 512, 160, 400, 0.97f, 8);
    const auto result = mel.computeFlat(testSignal(16000), 0);
    ASSERT_EQ(result.melLength, 101);
    ASSERT_EQ(result.numFrames, 104);
    for (std::size_t m = 0; m < 128; ++m) {
        EXPECT_NE(result.mel[m * 104 + 100], 0.0f);
        for (std::size_t t = 101; t < 104; ++t) ASSERT_EQ(result.mel[m * 104 + t], 0.0f) << m << " " << t;
    }
}

TEST(AudioMelSpectrogramTest, SilenceGivesTheLogOfTheFloor) {
    for (const auto mode : {LogFloorMode::additive, LogFloorMode::clamped}) {
        AudioMelSpectrogram mel(16000, 128, 512, 160, 400, 0.97f, 1, 5.9604645e-8f, mode);
        const auto result = mel.computeFlat(std::vector<float>(1600, 0.0f), 0);
        for (const float value : result.mel) ASSERT_FLOAT_EQ(value, silentLog);
        const auto plain = mel.compute(std::vector<float>(800, 0.0f));
        for (const float value : plain.mel[0][127]) ASSERT_FLOAT_EQ(value, silentLog);
    }
}

TEST(AudioMelSpectrogramTest, PlainComputeFramesTheWholeSignal) {
    const AudioMelSpectrogram mel;
    const auto short300 = mel.compute(testSignal(300));
    EXPECT_EQ(short300.melLength, 1);
    ASSERT_EQ(short300.mel.size(), 1u);
    ASSERT_EQ(short300.mel[0].size(), 128u);
    EXPECT_EQ(short300.mel[0][5].size(), 1u);

    const auto short200 = mel.compute(testSignal(200));
    EXPECT_EQ(short200.melLength, 0);
    EXPECT_TRUE(short200.mel.empty());

    EXPECT_EQ(mel.compute(testSignal(16000)).melLength, 98); // (16000 - 400) / 160 + 1
}

TEST(AudioMelSpectrogramTest, HannWindowShapes) {
    const auto symmetric = AudioMelSpectrogram().getHannWindow();
    ASSERT_EQ(symmetric.size(), 400u);
    EXPECT_EQ(symmetric[0], 0.0f);
    EXPECT_NEAR(symmetric[399], 0.0f, 1e-6f);
    EXPECT_EQ(symmetric[199], symmetric[200]);
    EXPECT_LT(symmetric[200], 1.0f);
    EXPECT_GT(symmetric[200], 0.9999f);

    const auto periodic =
        AudioMelSpectrogram(16000, 128, 512, 160, 400, 0.97f, 1, 5.9604645e-8f, LogFloorMode::additive, true)
            .getHannWindow();
    EXPECT_EQ(periodic[0], 0.0f);
    EXPECT_FLOAT_EQ(periodic[200], 1.0f);
    EXPECT_GT(periodic[399], 0.0f);
    EXPECT_LT(periodic[399], 1e-4f);
}

TEST(AudioMelSpectrogramTest, SlaneyFilterbankOfTheStandardConfiguration) {
    const auto filterbank = AudioMelSpectrogram().getFilterbank();
    ASSERT_EQ(filterbank.size(), 128u);
    for (const auto& row : filterbank) {
        ASSERT_EQ(row.size(), 257u);
        EXPECT_TRUE(std::any_of(row.begin(), row.end(), [](float w) { return w > 0; }));
    }
    // Band 0 spans 0 ... 46.77 Hz with its peak at 23.38 Hz: only bin 1
    // (31.25 Hz) falls inside, on the falling side.
    for (std::size_t j = 0; j < 257; ++j) {
        if (j == 1) {
            EXPECT_NEAR(filterbank[0][j], 0.02838f, 0.00002f);
        } else {
            EXPECT_EQ(filterbank[0][j], 0.0f) << j;
        }
    }
    // The last band's upper edge comes out just above 8 kHz, so the 8 kHz bin
    // is on its falling side.
    EXPECT_GT(filterbank[127][256], 0.0f);
}

TEST(AudioMelSpectrogramTest, WindowAndFilterbankKeepTheirExactBits) {
    // The trained models saw these exact values. The window is built with the
    // single-precision 6.283185, one unit in the last place below the float
    // nearest 2π; that float would give 0x1.02a6ep-6, 0x1.528b5p-5 and
    // 0x1.37ca2p-5 below. The mel scale breaks at 1,000 Hz and mel 15.000001;
    // a break mel of exactly 15 moves the bands round 1 kHz by tens of units
    // in the last place, another break frequency moves nearly every band.
    const AudioMelSpectrogram symmetric;
    const AudioMelSpectrogram periodic(16000, 128, 512, 160, 400, 0.97f, 1, 5.9604645e-8f, LogFloorMode::additive,
                                       true);
    struct Case {
        const char* name;
        float actual;
        float expected;
    };
    const auto& filterbank = symmetric.getFilterbank();
    const Case cases[] = {
        {"symmetric window [16]", symmetric.getHannWindow()[16], 0x1.02a6cp-6f},
        {"symmetric window [26]", symmetric.getHannWindow()[26], 0x1.528b4p-5f},
        {"periodic window [25]", periodic.getHannWindow()[25], 0x1.37ca1p-5f},
        {"band 0, bin 1 (31.25 Hz)", filterbank[0][1], 0x1.d0f00ap-6f},
        {"band 42, bin 32 (1,000 Hz)", filterbank[42][32], 0x1.02f638p-5f},
        {"band 44, bin 33", filterbank[44][33], 0x1.b22358p-10f},
        {"band 127, bin 256 (8,000 Hz)", filterbank[127][256], 0x1.d35b82p-25f},
    };
    for (const auto& c : cases) EXPECT_EQ(c.actual, c.expected) << c.name;
}

TEST(AudioMelSpectrogramTest, AWindowOfLengthZeroIsEmptyAndHearsNothing) {
    AudioMelSpectrogram mel(16000, 128, 512, 160, 0);
    EXPECT_TRUE(mel.getHannWindow().empty());
    // (16,000 + 512 - 0) / 160 + 1 frames, each of an all-zero transform input.
    const auto flat = mel.computeFlat(testSignal(16000), 0);
    EXPECT_EQ(flat.melLength, 104);
    for (const float value : flat.mel) ASSERT_FLOAT_EQ(value, silentLog);
    const auto plain = mel.compute(testSignal(1600));
    EXPECT_EQ(plain.melLength, 11);
    for (const float value : plain.mel[0][64]) ASSERT_FLOAT_EQ(value, silentLog);
}

// Centre-padded signal after pre-emphasis, in double precision.
std::vector<double> preEmphasised(std::span<const float> audio, double last, std::size_t pad) {
    std::vector<double> padded(audio.size() + 2 * pad, 0.0);
    for (std::size_t n = 0; n < audio.size(); ++n) padded[pad + n] = audio[n] - 0.97 * (n > 0 ? audio[n - 1] : last);
    return padded;
}

// Log-mel (additive 2^-24 floor) of one frame computed directly with a naive
// DFT in double precision; the window sits `offset` places into the transform.
double referenceLogMel(const AudioMelSpectrogram& mel, const std::vector<double>& padded, std::size_t start,
                       std::size_t offset, std::size_t band) {
    const auto nFFT = static_cast<std::size_t>(mel.nFFT());
    const auto& window = mel.getHannWindow();
    std::vector<double> windowed(nFFT, 0.0);
    for (std::size_t j = 0; j < window.size(); ++j) {
        if (start + j < padded.size()) windowed[offset + j] = padded[start + j] * window[j];
    }
    double energy = 0;
    for (std::size_t k = 0; k <= nFFT / 2; ++k) {
        std::complex<double> bin;
        for (std::size_t n = 0; n < nFFT; ++n) {
            bin += windowed[n] * std::polar(1.0, -2 * std::numbers::pi * double(k * n % nFFT) / double(nFFT));
        }
        energy += mel.getFilterbank()[band][k] * std::norm(bin);
    }
    return std::log(energy + std::pow(2.0, -24));
}

TEST(AudioMelSpectrogramTest, FlatValuesMatchADirectComputation) {
    // Frames are computed in blocks; the frames on both sides of block edges,
    // and the last ones, whose windows reach into the end padding, included.
    AudioMelSpectrogram mel;
    const auto audio = testSignal(11200);
    const auto result = mel.computeFlat(audio, 0);
    ASSERT_EQ(result.melLength, 71);
    const auto padded = preEmphasised(audio, 0, 256);
    for (const std::size_t t : {0u, 1u, 31u, 32u, 63u, 64u, 69u, 70u}) {
        for (const std::size_t m : {0u, 3u, 40u, 90u, 127u}) {
            EXPECT_NEAR(result.mel[m * 71 + t], referenceLogMel(mel, padded, t * 160 + 56, 56, m), 2e-3)
                << t << " " << m;
        }
    }
}

TEST(AudioMelSpectrogramTest, TransposedLayoutHoldsTheSameValues) {
    AudioMelSpectrogram mel(16000, 128, 512, 160, 400, 0.97f, 4);
    const auto audio = testSignal(12000);
    const auto flat = mel.computeFlat(audio, 0.2f);
    const auto transposed = mel.computeFlatTransposed(audio, 0.2f);
    ASSERT_EQ(flat.numFrames, transposed.numFrames);
    ASSERT_EQ(flat.melLength, transposed.melLength);
    const auto frames = static_cast<std::size_t>(flat.numFrames);
    for (std::size_t t = 0; t < frames; ++t) {
        for (std::size_t m = 0; m < 128; ++m) ASSERT_EQ(transposed.mel[t * 128 + m], flat.mel[m * frames + t]);
    }
}

TEST(AudioMelSpectrogramTest, ImposedFrameCountFillsExtraFramesWithTheFloor) {
    AudioMelSpectrogram mel;
    // 11 frames are counted; frames from 13 on start past the padded end.
    const auto result = mel.computeFlatTransposed(testSignal(1600), 0, PaddingMode::center, 16);
    ASSERT_EQ(result.melLength, 16);
    for (std::size_t t = 13; t < 16; ++t) {
        for (std::size_t m = 0; m < 128; ++m) ASSERT_FLOAT_EQ(result.mel[t * 128 + m], silentLog);
    }
    EXPECT_NE(result.mel[10 * 128 + 5], silentLog);

    // Over several blocks: 101 frames are counted; frame 101 still holds the
    // last 40 samples, frames from 102 on only the zero padding or nothing.
    const auto longer = mel.computeFlatTransposed(testSignal(16000), 0, PaddingMode::center, 140);
    ASSERT_EQ(longer.melLength, 140);
    EXPECT_NE(longer.mel[101 * 128 + 5], silentLog);
    for (std::size_t t = 102; t < 140; ++t) {
        for (std::size_t m = 0; m < 128; ++m) ASSERT_FLOAT_EQ(longer.mel[t * 128 + m], silentLog) << t;
    }
}

TEST(AudioMelSpectrogramTest, PrePaddedInputCountsWholeTransforms) {
    AudioMelSpectrogram mel(16000, 128, 512, 160, 400, 0.0f, 1, 1e-10f, LogFloorMode::clamped, true);
    EXPECT_EQ(mel.computeFlatTransposed(testSignal(400), 0, PaddingMode::prePadded).melLength, 1);
    const auto none = mel.computeFlatTransposed(testSignal(300), 0, PaddingMode::prePadded);
    EXPECT_EQ(none.melLength, 0);
    EXPECT_EQ(none.numFrames, 1);
    EXPECT_EQ(none.mel, std::vector<float>(128, 0.0f));
    EXPECT_EQ(mel.computeFlatTransposed(testSignal(992), 0, PaddingMode::prePadded).melLength, 4);
}

TEST(AudioMelSpectrogramTest, PreEmphasisContinuesAcrossChunks) {
    // The second half, given the first half's last sample, is pre-emphasised
    // exactly as inside the whole signal.
    AudioMelSpectrogram mel(16000, 8, 16, 16, 16, 0.97f);
    const auto audio = testSignal(64);
    const auto second = std::span<const float>(audio).last(32);
    const auto linked = mel.computeFlat(second, audio[31]);
    const auto unlinked = mel.computeFlat(second, 0);
    ASSERT_EQ(linked.melLength, 3);
    const auto padded = preEmphasised(second, audio[31], 8);
    for (std::size_t m = 0; m < 8; ++m) {
        EXPECT_NEAR(linked.mel[m * 3], referenceLogMel(mel, padded, 0, 0, m), 1e-3) << m;
    }
    EXPECT_NE(linked.mel, unlinked.mel);
}

TEST(AudioMelSpectrogramTest, RefusesImpossibleConfigurations) {
    EXPECT_THROW(AudioMelSpectrogram(16000, 128, 512, 160, 600), std::invalid_argument);
    EXPECT_THROW(AudioMelSpectrogram(16000, 128, 512, 0, 400), std::invalid_argument);
    EXPECT_THROW(AudioMelSpectrogram(16000, 0, 512, 160, 400), std::invalid_argument);
    EXPECT_THROW(AudioMelSpectrogram(16000, 128, 512, 160, -1), std::invalid_argument);
}

} // namespace
} // namespace razeziruzer
