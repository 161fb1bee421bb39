#pragma once
// Reads a file line by line in chunks of 65,536 bytes, buffering only what has
// not been handed out as lines yet. Lines end at a line feed; the last line
// need not have one.

#include <cstddef>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>

namespace razeziruzer {

class ARPALineReader {
public:
    static constexpr std::size_t chunkSize = 65536;

    // Absent when the file cannot be opened for reading.
    static std::optional<ARPALineReader> open(const std::filesystem::path& path);

    // The raw bytes of the next line without its line feed; absent at the
    // end. The view stays valid until the next call.
    std::optional<std::string_view> nextLine();
    // Bytes read from the file and not yet returned as lines.
    std::size_t pendingBytes() const { return buffer_.size() - consumed_; }

private:
    explicit ARPALineReader(std::ifstream file) : file_(std::move(file)) {}

    std::ifstream file_;
    std::string buffer_;
    std::size_t consumed_ = 0;
    bool atEnd_ = false;
};

} // namespace razeziruzer
