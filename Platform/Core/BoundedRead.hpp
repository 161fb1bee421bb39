#pragma once
// Reading a file that came from the network whole. A reader knows how large
// its file can sensibly be; a file far beyond that is refused before it can
// take the memory of the process.

#include "Platform/Core/Error.hpp"

#include <array>
#include <cstdint>
#include <istream>
#include <string>

namespace platform {

class FileTooLargeError : public Error {
public:
    using Error::Error;
};

// The rest of `in`; throws FileTooLargeError, naming `what`, as soon as more
// than `maxBytes` bytes have been read.
inline std::string readAtMost(std::istream& in, std::uintmax_t maxBytes, const std::string& what) {
    std::string contents;
    std::array<char, 64 * 1024> chunk{};
    while (in.read(chunk.data(), chunk.size()) || in.gcount() > 0) {
        contents.append(chunk.data(), static_cast<std::size_t>(in.gcount()));
        if (contents.size() > maxBytes) {
            throw FileTooLargeError(what + " is larger than " + std::to_string(maxBytes) + " bytes");
        }
    }
    return contents;
}

} // namespace platform
