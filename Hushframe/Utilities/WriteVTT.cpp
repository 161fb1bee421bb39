#include "Hushframe/Utilities/WriteVTT.hpp"

#include "Platform/Files/FileContents.hpp"

namespace hushframe {

ResultWriteOutcome WriteVTT::write(const TranscriptionResult& result, const std::string& to,
                                   const std::optional<ResultWriterOptions>&) const {
    return outcomeOf([&] {
        const auto path = std::filesystem::path(outputDir_) / (to + ".vtt");
        std::string content = "WEBVTT\n\n";
        for (const auto& entry : subtitleEntries(result.segments())) {
            content += formatTiming(entry.start, entry.end, entry.text);
        }
        platform::files::writeAtomically(path, content);
        return path;
    });
}

} // namespace hushframe
