#include "RazeziRuzer/ASR/Parakeet/Streaming/Nemotron/NemotronChunkSize.hpp"

namespace razeziruzer {

int rawValue(NemotronChunkSize size) { return static_cast<int>(size); }

std::optional<NemotronChunkSize> nemotronChunkSize(int rawValue) {
    for (const auto size : allNemotronChunkSizes) {
        if (static_cast<int>(size) == rawValue) return size;
    }
    return std::nullopt;
}

Repo repo(NemotronChunkSize size) {
    switch (size) {
    case NemotronChunkSize::ms2240: return Repo::nemotronStreaming2240;
    case NemotronChunkSize::ms1120: return Repo::nemotronStreaming1120;
    case NemotronChunkSize::ms560: return Repo::nemotronStreaming560;
    }
    return Repo::nemotronStreaming2240;
}

std::string subdirectory(NemotronChunkSize size) { return "nemotron_coreml_" + std::to_string(rawValue(size)) + "ms"; }

} // namespace razeziruzer
