#include "Hushframe/Utilities/ResultWriting.hpp"

#include <cmath>
#include <cstdio>
#include <stdexcept>

namespace hushframe {

namespace {

std::string printed(const char* pattern, auto... values) {
    char buffer[128];
    std::snprintf(buffer, sizeof buffer, pattern, values...);
    return buffer;
}

// Unreserved bytes, sub-delimiters, ":", "@" and the path separator.
bool isUrlPathByte(unsigned char byte) {
    const bool alphanumeric =
        (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || (byte >= '0' && byte <= '9');
    return alphanumeric ||
           std::string_view("-._~/!$&'()*+,;=:@").find(static_cast<char>(byte)) != std::string_view::npos;
}

} // namespace

std::string defaultFormatTime(float seconds, bool alwaysIncludeHours, std::string_view decimalMarker) {
    const float hoursValue = seconds / 3600.0f;
    // Beyond this the conversions below have no defined result.
    if (!std::isfinite(seconds) || std::fabs(hoursValue) >= 9.2e18f) {
        throw std::invalid_argument("Subtitle time is not a finite number of seconds");
    }
    const auto hours = static_cast<long long>(hoursValue);
    const auto minutes = static_cast<long long>(std::fmod(seconds, 3600.0f) / 60.0f);
    const auto wholeSeconds = static_cast<long long>(std::fmod(seconds, 60.0f));
    const auto milliseconds = static_cast<long long>((seconds - std::floor(seconds)) * 1000.0f);
    const std::string marker(decimalMarker);
    if (hours <= 0 && !alwaysIncludeHours) {
        return printed("%02lld:%02lld", minutes, wholeSeconds) + marker + printed("%03lld", milliseconds);
    }
    return printed("%02lld:%02lld:%02lld", hours, minutes, wholeSeconds) + marker + printed("%03lld", milliseconds);
}

std::string ResultWriting::formatTime(float seconds, bool alwaysIncludeHours, std::string_view decimalMarker) const {
    return defaultFormatTime(seconds, alwaysIncludeHours, decimalMarker);
}

std::string ResultWriting::formatSegment(std::int64_t index, float start, float end, std::string_view text) const {
    return std::to_string(index) + "\n" + formatTime(start, true, ",") + " --> " + formatTime(end, true, ",") + "\n" +
           std::string(text) + "\n\n";
}

std::string ResultWriting::formatTiming(float start, float end, std::string_view text) const {
    return formatTime(start, false, ".") + " --> " + formatTime(end, false, ".") + "\n" + std::string(text) + "\n\n";
}

std::vector<SubtitleEntry> subtitleEntries(const std::vector<TranscriptionSegment>& segments) {
    std::vector<SubtitleEntry> entries;
    for (const auto& segment : segments) {
        if (segment.words && !segment.words->empty()) {
            for (const auto& word : *segment.words) {
                entries.push_back({word.start, word.end, word.word});
            }
        } else {
            entries.push_back({segment.start, segment.end, segment.text});
        }
    }
    return entries;
}

std::string fileUrl(const std::filesystem::path& path) {
    std::string url = "file://";
    for (const unsigned char byte : std::filesystem::absolute(path).lexically_normal().string()) {
        if (isUrlPathByte(byte)) {
            url += static_cast<char>(byte);
        } else {
            url += printed("%%%02X", static_cast<unsigned>(byte));
        }
    }
    return url;
}

} // namespace hushframe
