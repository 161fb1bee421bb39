#include "RazeziRuzer/Shared/DiskBackedAudioSampleSource.hpp"

#include <system_error>

namespace razeziruzer {

DiskBackedAudioSampleSource::DiskBackedAudioSampleSource(std::shared_ptr<const MappedFileData> mappedData,
                                                         std::filesystem::path fileURL)
    : mappedData_(std::move(mappedData)),
      fileURL_(std::move(fileURL)),
      sampleCount_(static_cast<std::int64_t>(mappedData_->bytes().size() / sizeof(float))) {}

void DiskBackedAudioSampleSource::copySamples(float* into, std::int64_t offset, std::int64_t count) const {
    copyClipped(mappedData_->bytes().data(), sampleCount_, into, offset, count);
}

void DiskBackedAudioSampleSource::cleanup() const {
    std::error_code ignored;
    std::filesystem::remove(fileURL_, ignored);
}

} // namespace razeziruzer
