#include "RazeziRuzer/Shared/AudioMelSpectrogram.hpp"

#include "Platform/Accel/Blas.hpp"
#include "RazeziRuzer/Shared/LongArray.hpp"

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

// Frames handled together: their samples, spectra and band energies fit in
// cache, and each band's values of a block land side by side in the output.
constexpr std::size_t blockFrames = 32;

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
    if (sampleRate <= 0 || nMels <= 0 || nFFT <= 0 || hopLength <= 0 || winLength < 0 || winLength > nFFT) {
        throw std::invalid_argument("AudioMelSpectrogram needs a positive rate, band count and hop, and a window "
                                    "length between 0 and the transform length");
    }
    const auto bins = static_cast<std::size_t>(nFFT / 2 + 1);
    hannWindow_ = createHannWindow(winLength, windowPeriodic);
    melFilterbank_ = createMelFilterbank(nFFT, nMels, sampleRate, fMin_, fMax_);
    melFilterbankFlat_.reserve(bins * static_cast<std::size_t>(nMels));
    for (const auto& row : melFilterbank_) melFilterbankFlat_.insert(melFilterbankFlat_.end(), row.begin(), row.end());
    fftSetup_ = platform::accel::RealFFT::create(static_cast<std::size_t>(nFFT));
    frame_.assign(static_cast<std::size_t>(nFFT), 0.0f);
    spectrum_.assign(bins, {});
    const auto segmentLength =
        (blockFrames - 1) * static_cast<std::size_t>(hopLength) + static_cast<std::size_t>(winLength);
    segment_.assign(segmentLength, 0.0f);
    powerBlock_.assign(blockFrames * bins, 0.0f);
    energyBlock_.assign(blockFrames * static_cast<std::size_t>(nMels), 0.0f);
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

void AudioMelSpectrogram::fillSegment(std::span<const float> audio, float lastAudioSample, std::size_t padding,
                                      std::size_t from, std::size_t count) {
    const std::size_t n = audio.size();
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t p = from + i;
        float value = 0;
        if (p >= padding && p - padding < n) {
            const std::size_t k = p - padding;
            if (preemph_ == 0) {
                value = audio[k];
            } else if (k == 0) {
                value = audio[0] - lastAudioSample * preemph_;
            } else {
                value = audio[k - 1] * (-preemph_) + audio[k];
            }
        }
        segment_[i] = value;
    }
}

void AudioMelSpectrogram::windowFrame(std::size_t start, std::size_t available) {
    const auto offset = static_cast<std::size_t>((nFFT_ - winLength_) / 2);
    const std::size_t count = std::min(available, hannWindow_.size());
    std::fill(frame_.begin(), frame_.end(), 0.0f);
    for (std::size_t j = 0; j < count; ++j) frame_[offset + j] = segment_[start + j] * hannWindow_[j];
}

void AudioMelSpectrogram::computePowerSpectrumInPlace(std::size_t row) {
    const auto bins = spectrum_.size();
    const std::span<float> power(powerBlock_.data() + row * bins, bins);
    if (!fftSetup_) {
        std::fill(power.begin(), power.end(), 0.0f);
        return;
    }
    fftSetup_->forward(frame_, spectrum_);
    for (std::size_t k = 0; k < bins; ++k) {
        const float re = spectrum_[k].real();
        const float im = spectrum_[k].imag();
        power[k] = re * re + im * im;
    }
}

void AudioMelSpectrogram::blockPowerSpectra(std::span<const float> audio, float lastAudioSample, std::size_t padding,
                                            std::size_t first, std::size_t count) {
    const std::size_t length = audio.size() + 2 * padding;
    const auto hop = static_cast<std::size_t>(hopLength_);
    const auto offset = static_cast<std::size_t>((nFFT_ - winLength_) / 2);
    // Padded places [begin, end) hold every window of the block, cut at the padded length.
    const std::size_t begin = first * hop + offset;
    const std::size_t end =
        std::min((first + count - 1) * hop + offset + static_cast<std::size_t>(winLength_), std::max(length, begin));
    fillSegment(audio, lastAudioSample, padding, begin, end - begin);
    for (std::size_t b = 0; b < count; ++b) {
        const std::size_t start = (first + b) * hop + offset;
        windowFrame(start - begin, start < end ? end - start : 0);
        computePowerSpectrumInPlace(b);
    }
}

void AudioMelSpectrogram::applyMelFilterbank(std::size_t count) {
    const auto bins = spectrum_.size();
    platform::accel::sgemm(platform::accel::Transpose::none, platform::accel::Transpose::transposed,
                           static_cast<std::size_t>(nMels_), count, bins, 1.0f, melFilterbankFlat_,
                           std::span<const float>(powerBlock_.data(), count * bins), 0.0f,
                           std::span<float>(energyBlock_.data(), static_cast<std::size_t>(nMels_) * count));
}

void AudioMelSpectrogram::storeBlockLogMels(FlatResult& result, std::size_t first, std::size_t count, Layout layout) {
    const auto bands = static_cast<std::size_t>(nMels_);
    const auto numFrames = static_cast<std::size_t>(result.numFrames);
    for (std::size_t m = 0; m < bands; ++m) {
        const float* row = energyBlock_.data() + m * count;
        if (layout == Layout::melMajor) {
            float* out = result.mel.data() + m * numFrames + first;
            for (std::size_t b = 0; b < count; ++b) out[b] = logValue(row[b]);
        } else {
            float* out = result.mel.data() + first * bands + m;
            for (std::size_t b = 0; b < count; ++b) out[b * bands] = logValue(row[b]);
        }
    }
}

AudioMelSpectrogram::FlatResult AudioMelSpectrogram::computeFlatFrames(std::span<const float> audio,
                                                                     float lastAudioSample, std::size_t padding,
                                                                     int frames, Layout layout) {
    const auto bands = static_cast<std::size_t>(nMels_);
    if (frames <= 0 || audio.empty()) return {std::vector<float>(bands, 0.0f), 0, 1};

    FlatResult result;
    result.melLength = frames;
    result.numFrames = roundUpToMultiple(frames, padTo_);
    reserveLongArray(result.mel, bands * static_cast<std::size_t>(result.numFrames));
    result.mel.assign(bands * static_cast<std::size_t>(result.numFrames), padValue_);
    const auto total = static_cast<std::size_t>(frames);
    for (std::size_t first = 0; first < total; first += blockFrames) {
        const std::size_t count = std::min(blockFrames, total - first);
        blockPowerSpectra(audio, lastAudioSample, padding, first, count);
        applyMelFilterbank(count);
        storeBlockLogMels(result, first, count, layout);
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
