#pragma once
// What every writer of a finished transcription offers: a bound output
// folder, one file per call, and the subtitle time formatting they share.

#include "Hushframe/Core/Models/TranscriptionResult.hpp"

#include <any>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hushframe {

// Success carries the written file as an absolute file URL; failure carries
// the error that stopped the write, unchanged.
struct ResultWriteOutcome {
    std::optional<std::string> fileUrl;
    std::exception_ptr error;

    bool succeeded() const { return fileUrl.has_value(); }
};

using ResultWriterOptions = std::map<std::string, std::any>;

class ResultWriting {
public:
    virtual ~ResultWriting() = default;

    virtual const std::string& outputDir() const = 0;
    // Writes "<outputDir>/<to>.<extension>"; options are accepted and ignored. Never throws.
    virtual ResultWriteOutcome write(const TranscriptionResult& result, const std::string& to,
                                     const std::optional<ResultWriterOptions>& options = std::nullopt) const = 0;
    virtual std::string formatTime(float seconds, bool alwaysIncludeHours, std::string_view decimalMarker) const;

    // One SRT entry: number, times with hours and ",", text, blank line.
    std::string formatSegment(std::int64_t index, float start, float end, std::string_view text) const;
    // One WebVTT cue: times with "." and hours only when needed, text, blank line.
    std::string formatTiming(float start, float end, std::string_view text) const;
};

// "HH:MM:SS<marker>mmm" (hours left out below one hour unless asked for),
// every part cut toward zero. Throws std::invalid_argument for a time that is
// not finite or whose hours do not fit a 64-bit integer.
std::string defaultFormatTime(float seconds, bool alwaysIncludeHours, std::string_view decimalMarker);

// One timed text of a subtitle file.
struct SubtitleEntry {
    float start = 0;
    float end = 0;
    std::string text;
};

// A segment's words when it has some, else the segment itself, in order.
std::vector<SubtitleEntry> subtitleEntries(const std::vector<TranscriptionSegment>& segments);

// "file://" and the absolute path, with bytes outside the URL path set percent-encoded.
std::string fileUrl(const std::filesystem::path& path);

// Runs `write` and turns any exception into a failure.
template <typename Write>
ResultWriteOutcome outcomeOf(Write&& write) {
    try {
        return ResultWriteOutcome{fileUrl(write()), nullptr};
    } catch (...) {
        return ResultWriteOutcome{std::nullopt, std::current_exception()};
    }
}

} // namespace hushframe
