#pragma once
// Log-mel features on the CPU for the models that take features rather than
// raw audio. The standard configuration is the speech models' own: 16 kHz,
// 512-point transform, 25 ms symmetric Hann window, 10 ms hop, 128 Slaney mel
// bands with Slaney area normalisation, pre-emphasis 0.97 and ln(x + 2^-24).
// The features feed trained models, so every constant and the order of the
// single-precision operations are part of the behaviour.
//
// computeFlat and computeFlatTransposed reuse the object's scratch memory, so
// one object serves one caller at a time.

#include "Platform/Accel/RealFFT.hpp"

#include <complex>
#include <cstddef>
#include <optional>
#include <span>
#include <vector>

namespace razeziruzer {

class AudioMelSpectrogram {
public:
    enum class LogFloorMode { additive, clamped };
    enum class PaddingMode { center, prePadded };

    struct NestedResult {
        std::vector<std::vector<std::vector<float>>> mel; // [1][nMels][frames]
        int melLength = 0;
    };
    struct FlatResult {
        std::vector<float> mel;
        int melLength = 0; // valid frames
        int numFrames = 0; // frames including the padding to a multiple of padTo
    };

    // Throws std::invalid_argument unless 0 < winLength <= nFFT, hopLength > 0,
    // sampleRate > 0 and nMels > 0.
    explicit AudioMelSpectrogram(int sampleRate = 16000, int nMels = 128, int nFFT = 512, int hopLength = 160,
                                 int winLength = 400, float preemph = 0.97f, int padTo = 1,
                                 float logFloor = 5.9604645e-8f, LogFloorMode logFloorMode = LogFloorMode::additive,
                                 bool windowPeriodic = false);

    int nFFT() const { return nFFT_; }
    const std::vector<float>& getHannWindow() const { return hannWindow_; }
    const std::vector<std::vector<float>>& getFilterbank() const { return melFilterbank_; }

    // Plain frames over the whole signal: no centring, no pre-emphasis.
    NestedResult compute(std::span<const float> audio) const;
    // Centred and pre-emphasised; mel[m * numFrames + t].
    FlatResult computeFlat(std::span<const float> audio, float lastAudioSample);
    // mel[t * nMels + m]. `expectedFrameCount` imposes the frame count.
    FlatResult computeFlatTransposed(std::span<const float> audio, float lastAudioSample,
                                     PaddingMode paddingMode = PaddingMode::center,
                                     std::optional<int> expectedFrameCount = std::nullopt);

private:
    enum class Layout { melMajor, frameMajor };

    static std::vector<float> createHannWindow(int length, bool periodic);
    static std::vector<std::vector<float>> createMelFilterbank(int nFFT, int nMels, int sampleRate, float fMin,
                                                               float fMax);
    // Fills powerSpec_ from frame_.
    void computePowerSpectrumInPlace();
    // Band energies of powerSpec_ into melEnergies_.
    void applyMelFilterbank();
    float logValue(float energy) const;

    // Writes the padded signal into padded_ and returns its length.
    std::size_t padSignal(std::span<const float> audio, float lastAudioSample, std::size_t padding);
    FlatResult computeFlatFrames(std::span<const float> audio, float lastAudioSample, std::size_t padding,
                                 int frames, Layout layout);

    int sampleRate_;
    int nFFT_;
    int hopLength_;
    int winLength_;
    float fMin_ = 0;
    float fMax_;
    float preemph_;
    float logFloor_;
    LogFloorMode logFloorMode_;
    float padValue_ = 0;
    int nMels_;
    int padTo_;
    bool windowPeriodic_;
    std::vector<float> hannWindow_;
    std::vector<std::vector<float>> melFilterbank_;
    std::vector<float> melFilterbankFlat_;
    std::optional<platform::accel::RealFFT> fftSetup_;

    // Scratch reused by every frame of every flat call.
    std::vector<float> frame_;
    std::vector<std::complex<float>> spectrum_;
    std::vector<float> powerSpec_;
    std::vector<float> melEnergies_;
    std::vector<float> padded_; // grows to the longest signal seen, never shrinks
};

} // namespace razeziruzer
