#include "Platform/Audio/WavWriter.hpp"

#include "Platform/Audio/AudioError.hpp"
#include "Platform/Audio/SampleCopy.hpp"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <climits>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

namespace platform::audio {
namespace {

struct CloseFile {
    void operator()(SNDFILE* file) const { sf_close(file); }
};

AudioError writeError(const std::filesystem::path& path, const std::string& reason) {
    return AudioError(AudioErrorKind::writeFailed, "Cannot write the audio file \"" + path.string() + "\": " + reason);
}

// Removes the temporary file unless the write got as far as renaming it.
class TemporaryFile {
public:
    explicit TemporaryFile(std::filesystem::path path) : path_(std::move(path)) {}
    ~TemporaryFile() {
        if (!path_.empty()) {
            std::error_code ignored;
            std::filesystem::remove(path_, ignored);
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    const std::filesystem::path& path() const { return path_; }
    void moveTo(const std::filesystem::path& target) {
        std::error_code error;
        std::filesystem::rename(path_, target, error);
        if (error) {
            throw writeError(target, error.message());
        }
        path_.clear();
    }

private:
    std::filesystem::path path_;
};

void writeSamples(const std::filesystem::path& target, const TemporaryFile& temporary,
                  const std::vector<std::int16_t>& samples, int sampleRate, int channels) {
    SF_INFO info{};
    info.samplerate = sampleRate;
    info.channels = channels;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    std::unique_ptr<SNDFILE, CloseFile> file(sf_open(temporary.path().c_str(), SFM_WRITE, &info));
    if (!file) {
        throw writeError(target, sf_strerror(nullptr));
    }
    const auto frames = static_cast<sf_count_t>(samples.size() / static_cast<std::size_t>(channels));
    if (sf_writef_short(file.get(), samples.data(), frames) != frames) {
        throw writeError(target, sf_strerror(file.get()));
    }
    if (sf_close(file.release()) != 0) {
        throw writeError(target, "closing failed");
    }
}

} // namespace

std::int16_t WavWriter::quantize(float sample) {
    if (std::isnan(sample)) {
        return 0;
    }
    return static_cast<std::int16_t>(std::lround(std::clamp(sample, -1.0f, 1.0f) * 32767.0f));
}

void WavWriter::write(const std::filesystem::path& path, std::span<const float> interleavedSamples, double sampleRate,
                      std::uint32_t channelCount) {
    if (channelCount == 0 || channelCount > INT_MAX || interleavedSamples.size() % channelCount != 0) {
        throw AudioError(AudioErrorKind::invalidArgument, "WAV data for \"" + path.string() +
                                                              "\" must hold whole frames of at least one channel");
    }
    if (!std::isfinite(sampleRate) || std::lround(sampleRate) < 1 || sampleRate > INT_MAX) {
        throw AudioError(AudioErrorKind::invalidArgument,
                         "Invalid sample rate " + std::to_string(sampleRate) + " for \"" + path.string() + "\"");
    }
    std::vector<std::int16_t> samples(interleavedSamples.size());
    std::transform(interleavedSamples.begin(), interleavedSamples.end(), samples.begin(), quantize);

    TemporaryFile temporary(std::filesystem::path(path).concat(".partial"));
    writeSamples(path, temporary, samples, static_cast<int>(std::lround(sampleRate)), static_cast<int>(channelCount));
    temporary.moveTo(path);
}

void WavWriter::write(const std::filesystem::path& path, const PCMBuffer& buffer) {
    const std::uint32_t channels = buffer.format().channelCount();
    std::vector<float> interleaved(std::size_t{buffer.frameLength()} * channels);
    readInterleavedFloat(buffer, 0, buffer.frameLength(), interleaved.data());
    write(path, interleaved, buffer.format().sampleRate(), channels);
}

} // namespace platform::audio
