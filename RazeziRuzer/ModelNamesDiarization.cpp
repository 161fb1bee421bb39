#include "RazeziRuzer/ModelNamesDiarization.hpp"

namespace razeziruzer::ModelNames {

const ModelNameSet& VAD::requiredModels() {
    static const auto names = makeModelNameSet({sileroVadFile});
    return names;
}

const ModelNameSet& Diarizer::requiredModels() {
    static const auto names = makeModelNameSet({segmentationFile, embeddingFile});
    return names;
}

const ModelNameSet& OfflineDiarizer::requiredModels() {
    static const auto names =
        makeModelNameSet({segmentationFile, fbankFile, embeddingFile, pldaRhoFile, pldaParameters});
    return names;
}

} // namespace razeziruzer::ModelNames
