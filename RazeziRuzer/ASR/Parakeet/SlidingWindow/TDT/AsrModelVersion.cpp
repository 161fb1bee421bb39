#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/AsrModelVersion.hpp"

namespace razeziruzer {

int blankId(AsrModelVersion version) {
    switch (version) {
    case AsrModelVersion::v3: return 8192;
    case AsrModelVersion::tdtJa: return 3072;
    case AsrModelVersion::v2:
    case AsrModelVersion::tdtCtc110m: return 1024;
    }
    return 8192;
}

int decoderLayers(AsrModelVersion version) { return version == AsrModelVersion::tdtCtc110m ? 1 : 2; }

int encoderHiddenSize(AsrModelVersion version) { return version == AsrModelVersion::tdtCtc110m ? 512 : 1024; }

bool hasFusedEncoder(AsrModelVersion version) { return version == AsrModelVersion::tdtCtc110m; }

Repo repository(AsrModelVersion version) {
    switch (version) {
    case AsrModelVersion::v2: return Repo::parakeetV2;
    case AsrModelVersion::v3: return Repo::parakeetV3;
    case AsrModelVersion::tdtCtc110m: return Repo::parakeetTdtCtc110m;
    case AsrModelVersion::tdtJa: return Repo::parakeetJa;
    }
    return Repo::parakeetV3;
}

std::string_view caseName(AsrModelVersion version) {
    switch (version) {
    case AsrModelVersion::v2: return "v2";
    case AsrModelVersion::v3: return "v3";
    case AsrModelVersion::tdtCtc110m: return "tdtCtc110m";
    case AsrModelVersion::tdtJa: return "tdtJa";
    }
    return "v3";
}

} // namespace razeziruzer
