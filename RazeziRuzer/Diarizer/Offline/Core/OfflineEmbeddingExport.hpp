#pragma once
// Writes every extracted speaker embedding, with its span and assigned
// cluster, to one compact JSON array for offline analysis.

#include "RazeziRuzer/Diarizer/Offline/Core/TimedEmbedding.hpp"
#include "RazeziRuzer/Shared/AppLogger.hpp"

#include <cstdint>
#include <string>
#include <vector>

namespace razeziruzer::OfflineEmbeddingExport {

// One object per embedding, in order; "cluster" is -1 past the end of
// `assignments`. An existing file is replaced; missing folders are not made.
// Throws OfflineDiarizationError (exportFailed) for a NaN or infinite value,
// which JSON cannot hold, or when the file cannot be written; then nothing is
// logged and no file is written.
void exportEmbeddings(const std::vector<TimedEmbedding>& embeddings, const std::vector<std::int64_t>& assignments,
                      const std::string& path, const AppLogger& logger);

} // namespace razeziruzer::OfflineEmbeddingExport
