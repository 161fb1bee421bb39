#pragma once
// Builds disk-backed sample sources: streams an audio file through the
// platform converter straight into a temporary raw float file
// ("razeziruzer-streaming-<UUID>.raw" in the temporary folder), so the whole
// file is never held in memory at once.

#include "RazeziRuzer/Shared/AppLogger.hpp"
#include "RazeziRuzer/Shared/DiskBackedAudioSampleSource.hpp"

#include <cstdint>
#include <filesystem>
#include <optional>

namespace platform::audio {
class AudioConverter;
class AudioFile;
} // namespace platform::audio

namespace razeziruzer {

class AudioSourceFactory {
public:
    struct DiskBackedResult {
        DiskBackedAudioSampleSource source;
        double loadDuration; // seconds
    };

    AudioSourceFactory() = default;

    // Mono float samples at `targetSampleRate`. The caller owns the temporary
    // file and calls cleanup() when done; when creation fails the file is
    // removed here. Throws AudioSourceError.
    DiskBackedResult makeDiskBackedSource(const std::filesystem::path& from, int targetSampleRate) const;

private:
    // Sets `fileURL` once the temporary file exists, so a failure can remove it.
    DiskBackedResult makeSource(const std::filesystem::path& from, int targetSampleRate,
                                std::optional<std::filesystem::path>& fileURL) const;
    // Returns the number of samples written to `handle`, the open file at `fileURL`.
    std::int64_t streamConvert(platform::audio::AudioFile& audioFile, platform::audio::AudioConverter& converter,
                               int handle, const std::filesystem::path& fileURL) const;

    AppLogger logger{"AudioSourceFactory"};
};

} // namespace razeziruzer
