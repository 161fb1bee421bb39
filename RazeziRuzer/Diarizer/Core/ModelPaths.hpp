#pragma once
// Where the two diarizer models lie.

#include <filesystem>

namespace razeziruzer {

struct ModelPaths {
    std::filesystem::path segmentationPath;
    std::filesystem::path embeddingPath;
};

} // namespace razeziruzer
