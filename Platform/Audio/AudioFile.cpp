#include "Platform/Audio/AudioFile.hpp"

#include "Platform/Audio/AudioError.hpp"
#include "Platform/Audio/SampleCopy.hpp"

#include <sndfile.h>

#include <algorithm>
#include <string>
#include <system_error>

namespace platform::audio {

struct AudioFile::Opened {
    Handle file;
    SF_INFO info;
};

namespace {

AudioFormat diskFormat(const SF_INFO& info) {
    const auto channels = static_cast<std::uint32_t>(info.channels);
    switch (info.format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_16:
        return *AudioFormat::make(CommonFormat::pcmFormatInt16, info.samplerate, channels, true);
    case SF_FORMAT_FLOAT:
        return *AudioFormat::make(CommonFormat::pcmFormatFloat32, info.samplerate, channels, true);
    default:
        return *AudioFormat::make(CommonFormat::otherFormat, info.samplerate, channels, true);
    }
}

std::string quoted(const std::filesystem::path& path) { return "\"" + path.string() + "\""; }

} // namespace

void AudioFile::Close::operator()(sf_private_tag* file) const { sf_close(file); }

AudioFile::Opened AudioFile::open(const std::filesystem::path& path) {
    std::error_code ignored;
    if (!std::filesystem::exists(path, ignored)) {
        throw AudioError(AudioErrorKind::fileNotFound, "The audio file " + quoted(path) + " does not exist");
    }
    if (std::filesystem::is_directory(path, ignored)) {
        throw AudioError(AudioErrorKind::cannotOpenFile, "The audio file " + quoted(path) + " is a folder");
    }
    SF_INFO info{};
    Handle file(sf_open(path.c_str(), SFM_READ, &info));
    if (!file) {
        const int code = sf_error(nullptr);
        const std::string reason = sf_strerror(nullptr);
        const auto kind = code == SF_ERR_SYSTEM ? AudioErrorKind::cannotOpenFile : AudioErrorKind::invalidFile;
        throw AudioError(kind, "The audio file " + quoted(path) + " could not be opened: " + reason);
    }
    if (info.channels < 1 || info.samplerate < 1 || info.frames < 0) {
        throw AudioError(AudioErrorKind::invalidFile, "The audio file " + quoted(path) + " has no valid format");
    }
    return Opened{std::move(file), info};
}

AudioFile::AudioFile(const std::filesystem::path& path) : AudioFile(path, open(path)) {}

AudioFile::AudioFile(const std::filesystem::path& path, Opened opened)
    : path_(path),
      file_(std::move(opened.file)),
      fileFormat_(diskFormat(opened.info)),
      processingFormat_(*AudioFormat::standard(opened.info.samplerate, static_cast<std::uint32_t>(opened.info.channels))),
      length_(opened.info.frames) {}

void AudioFile::setFramePosition(std::int64_t position) {
    if (position < 0) {
        throw AudioError(AudioErrorKind::invalidArgument,
                         "Negative read position " + std::to_string(position) + " in " + quoted(path_));
    }
    framePosition_ = position;
    seekNeeded_ = true;
}

void AudioFile::read(PCMBuffer& buffer) { read(buffer, buffer.frameCapacity()); }

void AudioFile::read(PCMBuffer& buffer, std::uint32_t frameCount) {
    if (buffer.format() != processingFormat_) {
        throw AudioError(AudioErrorKind::formatMismatch, "Buffer format " + buffer.format().description() +
                                                             " differs from the processing format of " +
                                                             quoted(path_));
    }
    if (frameCount > buffer.frameCapacity()) {
        throw AudioError(AudioErrorKind::invalidArgument,
                         "Cannot read " + std::to_string(frameCount) + " frames into a buffer of " +
                             std::to_string(buffer.frameCapacity()) + " frames");
    }
    const auto wanted = static_cast<sf_count_t>(std::min<std::int64_t>(frameCount, std::max<std::int64_t>(length_ - framePosition_, 0)));
    buffer.setFrameLength(0);
    if (wanted == 0) {
        return;
    }
    if (seekNeeded_) {
        if (sf_seek(file_.get(), framePosition_, SEEK_SET) < 0) {
            throw AudioError(AudioErrorKind::readFailed, "Cannot seek in " + quoted(path_) + ": " +
                                                             sf_strerror(file_.get()));
        }
        seekNeeded_ = false;
    }
    const std::uint32_t channels = processingFormat_.channelCount();
    interleaved_.resize(static_cast<std::size_t>(wanted) * channels);
    const sf_count_t got = sf_readf_float(file_.get(), interleaved_.data(), wanted);
    if (got < 0 || (got < wanted && sf_error(file_.get()) != SF_ERR_NO_ERROR)) {
        throw AudioError(AudioErrorKind::readFailed, "Reading " + quoted(path_) + " failed: " +
                                                         sf_strerror(file_.get()));
    }
    writeInterleavedFloat(buffer, 0, interleaved_.data(), static_cast<std::uint32_t>(got), channels);
    buffer.setFrameLength(static_cast<std::uint32_t>(got));
    framePosition_ += got;
}

} // namespace platform::audio
