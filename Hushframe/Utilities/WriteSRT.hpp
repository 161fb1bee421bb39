#pragma once
// Writes a transcription as SubRip subtitles: numbered entries, times with hours and a comma.

#include "Hushframe/Utilities/ResultWriting.hpp"

namespace hushframe {

class WriteSRT final : public ResultWriting {
public:
    // The folder is neither checked nor created.
    explicit WriteSRT(std::string outputDir) : outputDir_(std::move(outputDir)) {}

    const std::string& outputDir() const override { return outputDir_; }
    ResultWriteOutcome write(const TranscriptionResult& result, const std::string& to,
                             const std::optional<ResultWriterOptions>& options = std::nullopt) const override;

private:
    const std::string outputDir_;
};

} // namespace hushframe
