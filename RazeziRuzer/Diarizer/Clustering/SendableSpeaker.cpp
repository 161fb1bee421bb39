#include "RazeziRuzer/Diarizer/Clustering/SendableSpeaker.hpp"

#include "RazeziRuzer/Diarizer/Clustering/Speaker.hpp"

#include <algorithm>
#include <charconv>
#include <functional>
#include <limits>

namespace razeziruzer {

std::optional<std::int64_t> decimalSpeakerId(const std::string& text) {
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    const bool plus = !text.empty() && text.front() == '+';
    const char* begin = text.data() + (plus ? 1 : 0);
    const char* end = text.data() + text.size();
    if (begin == end) return std::nullopt;
    const char* digits = (!plus && *begin == '-') ? begin + 1 : begin;
    if (digits == end || !std::all_of(digits, end, isDigit)) return std::nullopt;
    std::int64_t value = 0;
    const auto [stop, error] = std::from_chars(begin, end, value);
    if (error != std::errc() || stop != end) return std::nullopt;
    return value;
}

SendableSpeaker::SendableSpeaker(const Speaker& speaker)
    : id(decimalSpeakerId(speaker.id)
             .value_or(static_cast<std::int64_t>(std::hash<std::string>{}(speaker.id) &
                                                 static_cast<std::size_t>(std::numeric_limits<std::int64_t>::max())))),
      name(speaker.name), duration(speaker.duration), mainEmbedding(speaker.currentEmbedding),
      createdAt(speaker.createdAt), updatedAt(speaker.updatedAt) {}

std::string SendableSpeaker::label() const { return name.empty() ? "Speaker #" + std::to_string(id) : name; }

} // namespace razeziruzer
