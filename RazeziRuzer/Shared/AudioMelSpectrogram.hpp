#pragma once
// Log-mel features on the CPU for the models that take features rather than
// raw audio. The standard configuration is the speech models' own: 16 kHz,
// 512-point transform, 25 ms symmetric Hann window, 10 ms hop, 128 Slaney mel
// bands with Slaney area normalisation, pre-emphasis 0.97 and ln(x + 2^-24).
// The features feed trained models, so every constant and the order of the
// single-precision operations are part of the behaviour.
//
// computeFlat and computeFlatTransposed reuse the object's scratch memory, so
// one object serves one caller at a time. They work through the signal in
// blocks of frames whose samples, spectra and band energies stay in cache, so
// the cost per second of audio does not grow with the length of the signal.

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

    // Throws std::invalid_argument unless 0 <= winLength <= nFFT, hopLength > 0,
    // sampleRate > 0 and nMels > 0. A window of length 0 is empty: every frame
    // then sees silence.
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
    float logValue(float energy) const;

    // Fills segment_ with the padded (and pre-emphasised) signal from padded
    // index `from` on, `count` samples; places beyond the signal are 0.
    void fillSegment(std::span<const float> audio, float lastAudioSample, std::size_t padding, std::size_t from,
                     std::size_t count);
    // Fills frame_ with the window that starts `start` places into segment_
    // (`available` samples there).
    void windowFrame(std::size_t start, std::size_t available);
    // Power spectrum of frame_ into row `row` of powerBlock_.
    void computePowerSpectrumInPlace(std::size_t row);
    // Power spectra of the `count` frames from frame `first` on, into powerBlock_.
    void blockPowerSpectra(std::span<const float> audio, float lastAudioSample, std::size_t padding,
                           std::size_t first, std::size_t count);
    // Band energies of the first `count` rows of powerBlock_ into energyBlock_,
    // band after band.
    void applyMelFilterbank(std::size_t count);
    // The block's band energies as log-mels into the result's frames from
    // `first` on (mel-major: each band's values of the block side by side).
    void storeBlockLogMels(FlatResult& result, std::size_t first, std::size_t count, Layout layout);
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

    // Scratch reused by every block of every flat call, sized for one block.
    std::vector<float> frame_;
    std::vector<std::complex<float>> spectrum_;
    std::vector<float> segment_;      // the block's padded samples
    std::vector<float> powerBlock_;   // frame after frame, nFFT/2 + 1 bins each
    std::vector<float> energyBlock_;  // band after band, one value per frame of the block
};

} // namespace razeziruzer
