#pragma once
// A sample source over a temporary file of raw 32-bit float samples (machine
// byte order, one channel) mapped into memory. Copies share the mapping and
// the file; the file lives until someone calls cleanup().

#include "RazeziRuzer/Shared/AudioSampleSource.hpp"
#include "RazeziRuzer/Shared/MappedFileData.hpp"

#include <filesystem>
#include <memory>

namespace razeziruzer {

class DiskBackedAudioSampleSource final : public AudioSampleSource {
public:
    // sampleCount is the mapped byte count divided by 4, any remainder dropped.
    DiskBackedAudioSampleSource(std::shared_ptr<const MappedFileData> mappedData, std::filesystem::path fileURL);

    const std::shared_ptr<const MappedFileData>& mappedData() const { return mappedData_; }
    std::int64_t floatStride() const { return 4; }
    const std::filesystem::path& fileURL() const { return fileURL_; }

    std::int64_t sampleCount() const override { return sampleCount_; }
    void copySamples(float* into, std::int64_t offset, std::int64_t count) const override;

    // Deletes the temporary file; a failure to delete is ignored.
    void cleanup() const;

private:
    std::shared_ptr<const MappedFileData> mappedData_;
    std::filesystem::path fileURL_;
    std::int64_t sampleCount_;
};

} // namespace razeziruzer
