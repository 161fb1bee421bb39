#include "Hushframe/Utilities/WriteSRT.hpp"

#include "Platform/Files/FileContents.hpp"

namespace hushframe {

ResultWriteOutcome WriteSRT::write(const TranscriptionResult& result, const std::string& to,
                                   const std::optional<ResultWriterOptions>&) const {
    return outcomeOf([&] {
        const auto path = std::filesystem::path(outputDir_) / (to + ".srt");
        std::string content;
        std::int64_t number = 1;
        for (const auto& entry : subtitleEntries(result.segments())) {
            content += formatSegment(number++, entry.start, entry.end, entry.text);
        }
        // Atomic, so a failed write leaves an earlier file of this name whole.
        platform::files::writeAtomically(path, content);
        return path;
    });
}

} // namespace hushframe
