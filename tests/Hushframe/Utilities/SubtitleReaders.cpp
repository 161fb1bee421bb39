#include "tests/Hushframe/Utilities/SubtitleReaders.hpp"

#include <regex>

namespace hushframe::testing {

namespace {

std::vector<std::string> linesOf(const std::string& content) {
    if (content.find('\r') != std::string::npos) {
        throw SubtitleFormatError("carriage return in file");
    }
    std::vector<std::string> lines;
    std::size_t begin = 0;
    while (begin < content.size()) {
        const auto end = content.find('\n', begin);
        if (end == std::string::npos) {
            throw SubtitleFormatError("last line has no line break");
        }
        lines.push_back(content.substr(begin, end - begin));
        begin = end + 1;
    }
    return lines;
}

std::int64_t milliseconds(const std::smatch& match, std::size_t first, bool hoursOptional) {
    const std::int64_t hours = hoursOptional && !match[first].matched ? 0 : std::stoll(match[first].str());
    const std::int64_t minutes = std::stoll(match[first + 1].str());
    const std::int64_t seconds = std::stoll(match[first + 2].str());
    if (minutes > 59 || seconds > 59) {
        throw SubtitleFormatError("minutes or seconds above 59");
    }
    return ((hours * 60 + minutes) * 60 + seconds) * 1000 + std::stoll(match[first + 3].str());
}

std::string where(std::size_t line) { return " at line " + std::to_string(line + 1); }

// Payload lines from `i` to the next blank line, which must exist.
std::string readPayload(const std::vector<std::string>& lines, std::size_t& i) {
    std::string text;
    const std::size_t first = i;
    while (i < lines.size() && !lines[i].empty()) {
        if (lines[i].find("-->") != std::string::npos) {
            throw SubtitleFormatError("\"-->\" in cue text" + where(i));
        }
        text += (i == first ? "" : "\n") + lines[i];
        ++i;
    }
    if (i >= lines.size()) {
        throw SubtitleFormatError("cue not ended by a blank line" + where(i));
    }
    ++i;
    return text;
}

} // namespace

std::vector<SubtitleCue> readSubRip(const std::string& content) {
    static const std::regex timing(R"((\d{2,}):(\d{2}):(\d{2}),(\d{3}) --> (\d{2,}):(\d{2}):(\d{2}),(\d{3}))");
    const auto lines = linesOf(content);
    std::vector<SubtitleCue> cues;
    std::size_t i = 0;
    while (i < lines.size()) {
        SubtitleCue cue;
        if (!std::regex_match(lines[i], std::regex(R"([1-9]\d*)"))) {
            throw SubtitleFormatError("entry number expected" + where(i));
        }
        cue.number = std::stoll(lines[i]);
        if (cue.number != static_cast<std::int64_t>(cues.size()) + 1) {
            throw SubtitleFormatError("entry number out of sequence" + where(i));
        }
        std::smatch match;
        if (++i >= lines.size() || !std::regex_match(lines[i], match, timing)) {
            throw SubtitleFormatError("timing line expected" + where(i));
        }
        cue.startMilliseconds = milliseconds(match, 1, false);
        cue.endMilliseconds = milliseconds(match, 5, false);
        if (++i >= lines.size() || lines[i].empty()) {
            throw SubtitleFormatError("entry without text" + where(i));
        }
        cue.text = readPayload(lines, i);
        cues.push_back(cue);
    }
    return cues;
}

std::vector<SubtitleCue> readWebVtt(const std::string& content) {
    static const std::regex timing(
        R"((?:(\d{2,}):)?(\d{2}):(\d{2})\.(\d{3}) --> (?:(\d{2,}):)?(\d{2}):(\d{2})\.(\d{3}))");
    const auto lines = linesOf(content);
    if (lines.empty() || !std::regex_match(lines[0], std::regex(R"(WEBVTT(?:[ \t].*)?)"))) {
        throw SubtitleFormatError("missing WEBVTT header");
    }
    if (lines.size() < 2 || !lines[1].empty()) {
        throw SubtitleFormatError("header not followed by a blank line");
    }
    std::vector<SubtitleCue> cues;
    std::size_t i = 2;
    while (i < lines.size()) {
        if (lines[i].empty()) {
            ++i;
            continue;
        }
        if (lines[i].find("-->") == std::string::npos) {
            ++i; // cue identifier
        }
        std::smatch match;
        if (i >= lines.size() || !std::regex_match(lines[i], match, timing)) {
            throw SubtitleFormatError("timing line expected" + where(i));
        }
        SubtitleCue cue;
        cue.startMilliseconds = milliseconds(match, 1, true);
        cue.endMilliseconds = milliseconds(match, 5, true);
        if (cue.endMilliseconds <= cue.startMilliseconds) {
            throw SubtitleFormatError("cue ends before it starts" + where(i));
        }
        if (!cues.empty() && cue.startMilliseconds < cues.back().startMilliseconds) {
            throw SubtitleFormatError("cues out of order" + where(i));
        }
        ++i;
        cue.text = readPayload(lines, i);
        cues.push_back(cue);
    }
    return cues;
}

} // namespace hushframe::testing
