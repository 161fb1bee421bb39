#pragma once
// Strict readers of SubRip and WebVTT files, written from the formats' public
// rules and independent of the writers: a file that breaks a rule is refused
// with a message naming the line.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace hushframe::testing {

struct SubtitleCue {
    std::int64_t number = 0; // SubRip only
    std::int64_t startMilliseconds = 0;
    std::int64_t endMilliseconds = 0;
    std::string text; // payload lines joined with "\n"
};

struct SubtitleFormatError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Entries numbered 1, 2, ... in order; "HH:MM:SS,mmm --> HH:MM:SS,mmm" timing
// lines; at least one text line; each entry ends with a blank line.
std::vector<SubtitleCue> readSubRip(const std::string& content);
// "WEBVTT" header and a blank line; cues with an optional identifier,
// "[HH:]MM:SS.mmm --> [HH:]MM:SS.mmm" timings (minutes and seconds below 60),
// payload lines without "-->", separated by blank lines.
std::vector<SubtitleCue> readWebVtt(const std::string& content);

} // namespace hushframe::testing
