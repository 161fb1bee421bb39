#pragma once
// An audio file opened for reading (WAV, AIFF, FLAC, Ogg and whatever else
// libsndfile decodes). Frames are read as 32-bit float, not interleaved, at the
// file's own rate and channel count (the processing format), from the current
// read position onward.

#include "Platform/Audio/AudioFormat.hpp"
#include "Platform/Audio/PCMBuffer.hpp"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

struct sf_private_tag;

namespace platform::audio {

class AudioFile {
public:
    // Throws AudioError: fileNotFound, cannotOpenFile (permissions, folders) or
    // invalidFile (damaged or unknown kind); the description names the path.
    explicit AudioFile(const std::filesystem::path& path);

    const std::filesystem::path& path() const { return path_; }
    // The encoding on disk (otherFormat for 24-bit or compressed samples).
    const AudioFormat& fileFormat() const { return fileFormat_; }
    const AudioFormat& processingFormat() const { return processingFormat_; }
    // Length in frames.
    std::int64_t length() const { return length_; }

    std::int64_t framePosition() const { return framePosition_; }
    // Positions past the end are allowed and read nothing; negative ones throw AudioError(invalidArgument).
    void setFramePosition(std::int64_t position);

    // Reads up to `frameCount` frames (default: the buffer's capacity) into the
    // buffer, setting its frame length; 0 frames at the end of the file.
    // Throws AudioError: formatMismatch, invalidArgument (beyond the capacity), readFailed.
    void read(PCMBuffer& buffer);
    void read(PCMBuffer& buffer, std::uint32_t frameCount);

private:
    struct Close {
        void operator()(sf_private_tag* file) const;
    };
    using Handle = std::unique_ptr<sf_private_tag, Close>;
    struct Opened;
    AudioFile(const std::filesystem::path& path, Opened opened);
    static Opened open(const std::filesystem::path& path);

    std::filesystem::path path_;
    Handle file_;
    AudioFormat fileFormat_;
    AudioFormat processingFormat_;
    std::int64_t length_ = 0;
    std::int64_t framePosition_ = 0;
    bool seekNeeded_ = false;
    std::vector<float> interleaved_;
};

} // namespace platform::audio
