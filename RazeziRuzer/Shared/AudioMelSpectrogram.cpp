#include "RazeziRuzer/Shared/AudioMelSpectrogram.hpp"

#include "Platform/Accel/Blas.hpp"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace razeziruzer {

namespace {

// Slaney mel scale in single precision: linear below 1 kHz, logarithmic above.
constexpr float linearHzPerMel = 66.666664f; // 200 / 3
constexpr float breakHz = 1000.0f;
constexpr float breakMel = 15.000001f;      // breakHz / linearHzPerMel in float
constexpr float logStep = 0.068751775f;     // ln(6.4) / 27
constexpr float twoPi = 6.283185f;           // one unit below the float nearest 2π, as the window expects

float hzToMel(float hz) {
    if (hz < breakHz) return hz / linearHzPerMel;
    return std::log(hz / breakHz) / logStep + breakMel;
}

float melToHz(float mel) {
    if (mel < breakMel) return mel * linearHzPerMel;
    return std::exp((mel - breakMel) * logStep) * breakHz;
}

// Frames of a padded length, as integer division truncating toward zero.
int countFrames(long long paddedLength, int winLength, int hopLength) {
    return static_cast<int>((paddedLength - winLength) / hopLength + 1);
}

int roundUpToMultiple(int frames, int multiple) {
    return multiple * ((frames + multiple - 1) / multiple);
}

} // namespace

AudioMelSpectrogram::AudioMelSpectrogram(int sampleRate, int nMels, int nFFT, int hopLength, int winLength,
                                         float preemph, int padTo, float logFloor, LogFloorMode logFloorMode,
                                         bool windowPeriodic)
    : sampleRate_(sampleRate),
      nFFT_(nFFT),
      hopLength_(hopLength),
      winLength_(winLength),
      fMax_(static_cast<float>(sampleRate) * 0.5f),
      preemph_(preemph),
      logFloor_(logFloor),
      logFloorMode_(logFloorMode),
      nMels_(nMels),
      padTo_(std::max(padTo, 1)),
      windowPeriodic_(windowPeriodic) {
    if (sampleRate <= 0 || nMels <= 0 || nFFT <= 0 || hopLength <= 0 || winLength <= 0 || winLength > nFFT) {
        throw std::invalid_argument("AudioMelSpectrogram needs a positive rate, band count and hop, and a window "
                                    "length between 1 and the transform length");
    }
    const auto bins = static_cast<std::size_t>(nFFT / 2 + 1);
    hannWindow_ = createHannWindow(winLength, windowPeriodic);
    melFilterbank_ = createMelFilterbank(nFFT, nMels, sampleRate, fMin_, fMax_);
    melFilterbankFlat_.reserve(bins * static_cast<std::size_t>(nMels));
    for (const auto& row : melFilterbank_) melFilterbankFlat_.insert(melFilterbankFlat_.end(), row.begin(), row.end());
    fftSetup_ = platform::accel::RealFFT::create(static_cast<std::size_t>(nFFT));
    frame_.assign(static_cast<std::size_t>(nFFT), 0.0f);
    spectrum_.assign(bins, {});
    powerSpec_.assign(bins, 0.0f);
    melEnergies_.assign(static_cast<std::size_t>(nMels), 0.0f);
}

std::vector<float> AudioMelSpectrogram::createHannWindow(int length, bool periodic) {
    std::vector<float> window(static_cast<std::size_t>(std::max(length, 0)));
    const auto denominator = static_cast<float>(periodic ? length : length - 1);
    for (std::size_t n = 0; n < window.size(); ++n) {
        window[n] = (1.0f - std::cos(static_cast<float>(n) * twoPi / denominator)) * 0.5f;
    }
    return window;
}

std::vector<std::vector<float>> AudioMelSpectrogram::createMelFilterbank(int nFFT, int nMels, int sampleRate,
                                                                         float fMin, float fMax) {
    const int bins = nFFT / 2 + 1;
    const float melMin = hzToMel(fMin);
    const float melMax = hzToMel(fMax);
    std::vector<float> edges(static_cast<std::size_t>(nMels + 2));
    for (int i = 0; i < nMels + 2; ++i) {
        const float mel = static_cast<float>(i) * (melMax - melMin) / static_cast<float>(nMels + 1) + melMin;
        edges[static_cast<std::size_t>(i)] = melToHz(mel);
    }
    std::vector<float> frequencies(static_cast<std::size_t>(bins));
    for (int j = 0; j < bins; ++j) {
        frequencies[static_cast<std::size_t>(j)] =
            static_cast<float>(j) * static_cast<float>(sampleRate) / static_cast<float>(nFFT);
    }

    std::vector<std::vector<float>> filterbank(static_cast<std::size_t>(nMels),
                                               std::vector<float>(static_cast<std::size_t>(bins), 0.0f));
    for (std::size_t band = 0; band < filterbank.size(); ++band) {
        const float lower = edges[band];
        const float centre = edges[band + 1];
        const float upper = edges[band + 2];
        const float enorm = 2.0f / (upper - lower);
        for (std::size_t j = 0; j < frequencies.size(); ++j) {
            const float f = frequencies[j];
            if (lower <= f && f < centre) {
                filterbank[band][j] = (f - lower) * enorm / (centre - lower);
            } else if (centre <= f && f <= upper) {
                filterbank[band][j] = (upper - f) * enorm / (upper - centre);
            }
        }
    }
    return filterbank;
}

void AudioMelSpectrogram::computePowerSpectrumInPlace() {
    if (!fftSetup_) {
        std::fill(powerSpec_.begin(), powerSpec_.end(), 0.0f);
        return;
    }
    fftSetup_->forward(frame_, spectrum_);
    for (std::size_t k = 0; k < powerSpec_.size(); ++k) {
        const float re = spectrum_[k].real();
        const float im = spectrum_[k].imag();
        powerSpec_[k] = re * re + im * im;
    }
}

void AudioMelSpectrogram::applyMelFilterbank() {
    platform::accel::sgemv(platform::accel::Transpose::none, static_cast<std::size_t>(nMels_), powerSpec_.size(),
                           1.0f, melFilterbankFlat_, powerSpec_, 0.0f, melEnergies_);
}

float AudioMelSpectrogram::logValue(float energy) const {
    if (logFloorMode_ == LogFloorMode::additive) return std::log(energy + logFloor_);
    return energy <= logFloor_ ? std::log(logFloor_) : std::log(energy);
}

AudioMelSpectrogram::NestedResult AudioMelSpectrogram::compute(std::span<const float> audio) const {
    const int frames = countFrames(static_cast<long long>(audio.size()), winLength_, hopLength_);
    if (frames <= 0) return {};

    const auto bins = static_cast<std::size_t>(nFFT_ / 2 + 1);
    NestedResult result;
    result.melLength = frames;
    result.mel.assign(1, std::vector<std::vector<float>>(static_cast<std::size_t>(nMels_),
                                                         std::vector<float>(static_cast<std::size_t>(frames))));
    std::vector<float> frame(static_cast<std::size_t>(nFFT_));
    std::vector<std::complex<float>> spectrum(bins);
    std::vector<float> power(bins);
    for (int t = 0; t < frames; ++t) {
        std::fill(frame.begin(), frame.end(), 0.0f);
        const std::size_t start = static_cast<std::size_t>(t) * static_cast<std::size_t>(hopLength_);
        for (std::size_t j = 0; j < hannWindow_.size(); ++j) {
            if (start + j < audio.size()) frame[j] = audio[start + j] * hannWindow_[j];
        }
        if (fftSetup_) {
            fftSetup_->forward(frame, spectrum);
            for (std::size_t k = 0; k < bins; ++k) power[k] = std::norm(spectrum[k]);
        }
        for (std::size_t m = 0; m < melFilterbank_.size(); ++m) {
            const auto& row = melFilterbank_[m];
            float energy = 0;
            for (std::size_t j = 0; j < std::min(row.size(), bins); ++j) energy += row[j] * power[j];
            result.mel[0][m][static_cast<std::size_t>(t)] = logValue(energy);
        }
    }
    return result;
}

std::size_t AudioMelSpectrogram::padSignal(std::span<const float> audio, float lastAudioSample, std::size_t padding) {
    const std::size_t length = audio.size() + 2 * padding;
    if (padded_.size() < length) padded_.resize(length);
    std::fill_n(padded_.begin(), padding, 0.0f);
    std::fill(padded_.begin() + static_cast<std::ptrdiff_t>(padding + audio.size()),
              padded_.begin() + static_cast<std::ptrdiff_t>(length), 0.0f);
    float* out = padded_.data() + padding;
    if (preemph_ == 0) {
        std::copy(audio.begin(), audio.end(), out);
        return length;
    }
    out[0] = audio[0] - lastAudioSample * preemph_;
    for (std::size_t n = 1; n < audio.size(); ++n) out[n] = audio[n - 1] * (-preemph_) + audio[n];
    return length;
}

AudioMelSpectrogram::FlatResult AudioMelSpectrogram::computeFlatFrames(std::span<const float> audio,
                                                                     float lastAudioSample, std::size_t padding,
                                                                     int frames, Layout layout) {
    const auto bands = static_cast<std::size_t>(nMels_);
    if (frames <= 0 || audio.empty()) return {std::vector<float>(bands, 0.0f), 0, 1};

    FlatResult result;
    result.melLength = frames;
    result.numFrames = roundUpToMultiple(frames, padTo_);
    result.mel.assign(bands * static_cast<std::size_t>(result.numFrames), padValue_);

    const std::size_t length = padSignal(audio, lastAudioSample, padding);
    const auto window = static_cast<std::size_t>(winLength_);
    const auto offset = static_cast<std::size_t>((nFFT_ - winLength_) / 2);
    const auto numFrames = static_cast<std::size_t>(result.numFrames);
    for (std::size_t t = 0; t < static_cast<std::size_t>(frames); ++t) {
        std::fill(frame_.begin(), frame_.end(), 0.0f);
        const std::size_t start = t * static_cast<std::size_t>(hopLength_) + offset;
        const std::size_t count = start < length ? std::min(length - start, window) : 0;
        for (std::size_t j = 0; j < count; ++j) frame_[offset + j] = padded_[start + j] * hannWindow_[j];
        computePowerSpectrumInPlace();
        applyMelFilterbank();
        for (std::size_t m = 0; m < bands; ++m) {
            const std::size_t index = layout == Layout::melMajor ? m * numFrames + t : t * bands + m;
            result.mel[index] = logValue(melEnergies_[m]);
        }
    }
    return result;
}

AudioMelSpectrogram::FlatResult AudioMelSpectrogram::computeFlat(std::span<const float> audio,
                                                                 float lastAudioSample) {
    const auto padding = static_cast<std::size_t>(nFFT_ / 2);
    const int frames = countFrames(static_cast<long long>(audio.size() + 2 * padding), winLength_, hopLength_);
    return computeFlatFrames(audio, lastAudioSample, padding, frames, Layout::melMajor);
}

AudioMelSpectrogram::FlatResult AudioMelSpectrogram::computeFlatTransposed(std::span<const float> audio,
                                                                           float lastAudioSample,
                                                                           PaddingMode paddingMode,
                                                                           std::optional<int> expectedFrameCount) {
    const auto length = static_cast<long long>(audio.size());
    std::size_t padding = 0;
    int counted = 0;
    if (paddingMode == PaddingMode::center) {
        padding = static_cast<std::size_t>(nFFT_ / 2);
        counted = countFrames(length + 2 * static_cast<long long>(padding), winLength_, hopLength_);
    } else {
        counted = std::max(0, countFrames(length, nFFT_, hopLength_));
    }
    const int frames = expectedFrameCount.value_or(counted);
    return computeFlatFrames(audio, lastAudioSample, padding, frames, Layout::frameMajor);
}

} // namespace razeziruzer
