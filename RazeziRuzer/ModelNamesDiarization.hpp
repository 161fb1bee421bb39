#pragma once
// File names and required sets of the voice-activity detector and of the
// online and offline diarization pipelines.

#include "RazeziRuzer/ModelNameSet.hpp"

#include <string_view>

namespace razeziruzer::ModelNames {

namespace VAD {
inline constexpr std::string_view sileroVad = "silero-vad-unified-256ms-v6.0.0";
inline constexpr std::string_view sileroVadFile = "silero-vad-unified-256ms-v6.0.0.mlmodelc";
const ModelNameSet& requiredModels();
} // namespace VAD

// Online diarization (repository diarizer).
namespace Diarizer {
inline constexpr std::string_view segmentation = "pyannote_segmentation";
inline constexpr std::string_view embedding = "wespeaker_v2";
inline constexpr std::string_view segmentationFile = "pyannote_segmentation.mlmodelc";
inline constexpr std::string_view embeddingFile = "wespeaker_v2.mlmodelc";
const ModelNameSet& requiredModels();
} // namespace Diarizer

// Offline diarization (repository diarizer, variant "offline").
namespace OfflineDiarizer {
inline constexpr std::string_view segmentation = "Segmentation";
inline constexpr std::string_view fbank = "FBank";
inline constexpr std::string_view embedding = "Embedding";
inline constexpr std::string_view pldaRho = "PldaRho";
inline constexpr std::string_view segmentationFile = "Segmentation.mlmodelc";
inline constexpr std::string_view segmentationPath = segmentationFile;
inline constexpr std::string_view fbankFile = "FBank.mlmodelc";
inline constexpr std::string_view fbankPath = fbankFile;
inline constexpr std::string_view embeddingFile = "Embedding.mlmodelc";
inline constexpr std::string_view embeddingPath = embeddingFile;
inline constexpr std::string_view pldaRhoFile = "PldaRho.mlmodelc";
inline constexpr std::string_view pldaRhoPath = pldaRhoFile;
inline constexpr std::string_view pldaParameters = "plda-parameters.json";
const ModelNameSet& requiredModels();
} // namespace OfflineDiarizer

} // namespace razeziruzer::ModelNames
