#include "Hushframe/Decoding/TextUtilities.hpp"

#include "PelluxCore/Logging.hpp"

#include <zlib.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace hushframe {

namespace {

float ratioOf(const unsigned char* bytes, std::size_t size) {
    uLongf compressedSize = compressBound(static_cast<uLong>(size));
    std::vector<unsigned char> compressed(compressedSize);
    const int status = compress2(compressed.data(), &compressedSize, bytes, static_cast<uLong>(size),
                                 Z_DEFAULT_COMPRESSION);
    if (status != Z_OK || compressedSize == 0) {
        pelluxcore::Logging::debug("Compression error: " + std::string(zError(status)));
        return std::numeric_limits<float>::infinity();
    }
    return static_cast<float>(size) / static_cast<float>(compressedSize);
}

} // namespace

float TextUtilities::compressionRatio(std::span<const int> tokens) {
    std::vector<std::int32_t> values(tokens.begin(), tokens.end());
    return ratioOf(reinterpret_cast<const unsigned char*>(values.data()), values.size() * sizeof(std::int32_t));
}

float TextUtilities::compressionRatio(std::string_view text) {
    if (text.empty()) return std::numeric_limits<float>::infinity();
    return ratioOf(reinterpret_cast<const unsigned char*>(text.data()), text.size());
}

} // namespace hushframe
