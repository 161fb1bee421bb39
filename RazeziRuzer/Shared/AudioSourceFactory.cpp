#include "RazeziRuzer/Shared/AudioSourceFactory.hpp"

#include "Platform/Audio/AudioConverter.hpp"
#include "Platform/Audio/AudioFile.hpp"
#include "Platform/Core/Error.hpp"
#include "Platform/Files/FileDescriptor.hpp"
#include "Platform/Files/FileError.hpp"
#include "Platform/Files/Uuid.hpp"
#include "RazeziRuzer/Shared/AudioSourceError.hpp"
#include "RazeziRuzer/Shared/DoubleText.hpp"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <fcntl.h>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <unistd.h>

namespace razeziruzer {

using platform::audio::AudioConverterInputStatus;
using platform::audio::AudioConverterOutputStatus;
using platform::audio::AudioFormat;
using platform::audio::PCMBuffer;

namespace {

constexpr std::uint32_t inputBlockFrames = 16384;
constexpr std::uint32_t minimumOutputFrames = 1024;

std::string allocationMessage(const std::string& label, std::uint32_t frames) {
    return "Failed to allocate " + label + " buffer (" + std::to_string(frames) + " frames)";
}

void writeAll(int handle, const float* samples, std::size_t count, const std::filesystem::path& path) {
    const auto* bytes = reinterpret_cast<const char*>(samples);
    std::size_t left = count * sizeof(float);
    while (left > 0) {
        const ssize_t written = ::write(handle, bytes, left);
        if (written < 0) {
            if (errno == EINTR) continue;
            throw platform::files::FileError::fromErrno(errno, "Cannot write", path);
        }
        bytes += written;
        left -= static_cast<std::size_t>(written);
    }
}

std::filesystem::path makeTemporaryFileURL() {
    return std::filesystem::temp_directory_path() /
           ("razeziruzer-streaming-" + platform::Uuid().toString() + ".raw");
}

void removeQuietly(const std::filesystem::path& path) {
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
}

} // namespace

AudioSourceFactory::DiskBackedResult AudioSourceFactory::makeDiskBackedSource(const std::filesystem::path& from,
                                                                               int targetSampleRate) const {
    std::optional<std::filesystem::path> fileURL;
    try {
        return makeSource(from, targetSampleRate, fileURL);
    } catch (const AudioSourceError&) {
        if (fileURL) removeQuietly(*fileURL);
        throw;
    } catch (const std::exception& error) {
        if (fileURL) removeQuietly(*fileURL);
        const std::string text = std::string("Streaming audio source creation failed: ") + error.what();
        logger.error(text);
        throw AudioSourceError::processingFailed(text);
    }
}

AudioSourceFactory::DiskBackedResult AudioSourceFactory::makeSource(const std::filesystem::path& from,
                                                                     int targetSampleRate,
                                                                     std::optional<std::filesystem::path>& fileURL) const {
    const auto start = std::chrono::steady_clock::now();
    platform::audio::AudioFile audioFile(from);
    const AudioFormat& inputFormat = audioFile.processingFormat();
    const auto outputFormat = AudioFormat::standard(targetSampleRate, 1);
    if (!outputFormat) {
        throw AudioSourceError::processingFailed("Unsupported target sample rate " + std::to_string(targetSampleRate));
    }

    const auto url = makeTemporaryFileURL();
    platform::files::FileDescriptor handle(::open(url.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (!handle.valid()) {
        throw AudioSourceError::processingFailed("Failed to create temporary audio buffer at " + url.string());
    }
    fileURL = url;

    auto converter = platform::audio::AudioConverter::make(inputFormat, *outputFormat);
    if (!converter) {
        throw AudioSourceError::processingFailed("Unsupported audio format " + inputFormat.description() +
                                                 "; failed to create converter");
    }
    logger.debug("Streaming conversion " + doubleText(inputFormat.sampleRate()) + "Hz×" +
                 std::to_string(inputFormat.channelCount()) + "ch → " + doubleText(outputFormat->sampleRate()) +
                 "Hz×" + std::to_string(outputFormat->channelCount()) + "ch");

    std::int64_t written = 0;
    try {
        written = streamConvert(audioFile, *converter, handle.get(), url);
    } catch (const std::exception& error) {
        logger.error(std::string("Streaming conversion failed before file mapping: ") + error.what());
        throw;
    }
    if (::fsync(handle.get()) != 0) throw platform::files::FileError::fromErrno(errno, "Cannot flush", url);
    if (const int error = handle.close()) throw platform::files::FileError::fromErrno(error, "Cannot close", url);

    const auto size = std::filesystem::file_size(url);
    logger.debug("Streaming audio temp file size=" + std::to_string(size) + " bytes");
    logger.debug("Streaming audio total samples=" + std::to_string(written));

    DiskBackedAudioSampleSource source(std::make_shared<const MappedFileData>(url), url);
    if (source.sampleCount() != written) {
        logger.warning("Mapped sample count mismatch (reported=" + std::to_string(source.sampleCount()) +
                       ", tracked=" + std::to_string(written) + "); continuing");
    }
    const std::chrono::duration<double> loadDuration = std::chrono::steady_clock::now() - start;
    return {std::move(source), loadDuration.count()};
}

std::int64_t AudioSourceFactory::streamConvert(platform::audio::AudioFile& audioFile,
                                               platform::audio::AudioConverter& converter, int handle,
                                               const std::filesystem::path& fileURL) const {
    auto input = PCMBuffer::make(audioFile.processingFormat(), inputBlockFrames);
    if (!input) throw AudioSourceError::processingFailed(allocationMessage("input", inputBlockFrames));

    const AudioFormat& outputFormat = converter.outputFormat();
    const double capacity =
        std::ceil(outputFormat.sampleRate() * inputBlockFrames / audioFile.processingFormat().sampleRate());
    const auto outputFrames = static_cast<std::uint32_t>(
        std::min<double>(capacity, std::numeric_limits<std::uint32_t>::max()));
    auto output = PCMBuffer::make(outputFormat, std::max(outputFrames, minimumOutputFrames));
    if (!output) throw AudioSourceError::processingFailed(allocationMessage("output", outputFrames));

    bool ended = false;
    std::exception_ptr readError;
    const platform::audio::AudioConverterInputBlock provider =
        [&](std::uint32_t, AudioConverterInputStatus& status) -> const PCMBuffer* {
        if (!ended) {
            const std::int64_t left = audioFile.length() - audioFile.framePosition();
            if (left <= 0) {
                input->setFrameLength(0);
            } else {
                try {
                    audioFile.read(*input, static_cast<std::uint32_t>(std::min<std::int64_t>(left, inputBlockFrames)));
                } catch (...) {
                    readError = std::current_exception();
                    input->setFrameLength(0);
                }
            }
            if (input->frameLength() > 0) {
                status = AudioConverterInputStatus::haveData;
                return &*input;
            }
            ended = true;
        }
        status = AudioConverterInputStatus::endOfStream;
        return nullptr;
    };

    std::int64_t total = 0;
    for (;;) {
        output->setFrameLength(0);
        std::optional<platform::audio::AudioError> conversionError;
        const auto status = converter.convert(*output, provider, &conversionError);
        if (status == AudioConverterOutputStatus::error) {
            throw AudioSourceError::processingFailed("Audio conversion failed: " +
                                                     (conversionError ? conversionError->description()
                                                                      : std::string("Unknown error")));
        }
        if (readError) {
            throw AudioSourceError::processingFailed("Failed while reading audio: " +
                                                     platform::describeError(readError));
        }
        if (output->frameLength() > 0) {
            const float* samples = output->floatChannelData(0);
            if (!samples) throw AudioSourceError::processingFailed("Missing channel data during conversion");
            writeAll(handle, samples, output->frameLength(), fileURL);
            total += output->frameLength();
        }
        if (status == AudioConverterOutputStatus::endOfStream) return total;
    }
}

} // namespace razeziruzer
