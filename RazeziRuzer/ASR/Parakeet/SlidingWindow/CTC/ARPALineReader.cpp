#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CTC/ARPALineReader.hpp"

#include <system_error>

namespace razeziruzer {

std::optional<ARPALineReader> ARPALineReader::open(const std::filesystem::path& path) {
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) return std::nullopt;
    std::ifstream file(path, std::ios::binary);
    if (!file.is_open()) return std::nullopt;
    return ARPALineReader(std::move(file));
}

std::optional<std::string_view> ARPALineReader::nextLine() {
    // Bytes already searched for a line feed are not searched again, so a line
    // longer than a chunk costs no more than its length.
    std::size_t searched = consumed_;
    for (;;) {
        const std::size_t feed = buffer_.find('\n', searched);
        if (feed != std::string::npos) {
            const std::string_view line = std::string_view(buffer_).substr(consumed_, feed - consumed_);
            consumed_ = feed + 1;
            return line;
        }
        if (atEnd_) break;
        // Drop the consumed lines before reading on, so the buffer holds at
        // most one chunk plus the unfinished line.
        buffer_.erase(0, consumed_);
        consumed_ = 0;
        const std::size_t kept = buffer_.size();
        searched = kept;
        buffer_.resize(kept + chunkSize);
        file_.read(buffer_.data() + kept, static_cast<std::streamsize>(chunkSize));
        const auto got = static_cast<std::size_t>(file_.gcount());
        buffer_.resize(kept + got);
        if (got == 0) atEnd_ = true;
    }
    if (consumed_ >= buffer_.size()) return std::nullopt;
    // The last line has no line feed; it stays in the buffer while it is used.
    const std::string_view last = std::string_view(buffer_).substr(consumed_);
    consumed_ = buffer_.size();
    return last;
}

} // namespace razeziruzer
