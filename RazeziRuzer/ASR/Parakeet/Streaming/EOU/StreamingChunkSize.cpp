#include "RazeziRuzer/ASR/Parakeet/Streaming/EOU/StreamingChunkSize.hpp"

#include <cmath>

namespace razeziruzer {

StreamingChunkGeometry geometry(StreamingChunkSize size) {
    switch (size) {
    case StreamingChunkSize::ms160: return {2560, 17, 160, "160ms", 2, 16, 1280};
    case StreamingChunkSize::ms320: return {10080, 64, 630, "320ms", 4, 9, 5120};
    case StreamingChunkSize::ms1280: return {20480, 129, 1280, "1280ms", 16, 16, 20480};
    }
    return {2560, 17, 160, "160ms", 2, 16, 1280};
}

Repo repo(StreamingChunkSize size) {
    switch (size) {
    case StreamingChunkSize::ms160: return Repo::parakeetEou160;
    case StreamingChunkSize::ms320: return Repo::parakeetEou320;
    case StreamingChunkSize::ms1280: return Repo::parakeetEou1280;
    }
    return Repo::parakeetEou160;
}

std::int64_t frameDurationMs(StreamingChunkSize size) {
    const auto g = geometry(size);
    const double ms = static_cast<double>(g.shiftSamples) * 1000.0 / (static_cast<double>(g.validOutputLen) * 16000.0);
    return static_cast<std::int64_t>(std::round(ms));
}

} // namespace razeziruzer
