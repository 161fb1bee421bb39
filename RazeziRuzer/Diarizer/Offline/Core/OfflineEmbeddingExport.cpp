#include "RazeziRuzer/Diarizer/Offline/Core/OfflineEmbeddingExport.hpp"

#include "RazeziRuzer/Diarizer/Offline/Core/OfflineDiarizationError.hpp"

#include <nlohmann/json.hpp>

#include <charconv>
#include <cmath>
#include <cstring>
#include <fstream>

namespace razeziruzer::OfflineEmbeddingExport {
namespace {

void requireFinite(double value, std::size_t index) {
    if (!std::isfinite(value)) {
        throw OfflineDiarizationError::exportFailed("embedding " + std::to_string(index) +
                                                    " holds a value JSON cannot represent");
    }
}

// The shortest decimal that reads back as the same float, so 0.1f is written
// 0.1 and not as its wider double expansion.
double asWritten(float value) {
    char digits[32];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    double widened = 0;
    std::from_chars(digits, end, widened);
    return widened;
}

nlohmann::ordered_json payload(const TimedEmbedding& e, std::int64_t cluster, std::size_t index) {
    auto embedding = nlohmann::ordered_json::array();
    for (const float v : e.embedding256) {
        requireFinite(v, index);
        embedding.push_back(asWritten(v));
    }
    for (const double v : e.rho128) requireFinite(v, index);
    requireFinite(e.startTime, index);
    requireFinite(e.endTime, index);
    nlohmann::ordered_json object;
    object["chunkIndex"] = e.chunkIndex;
    object["speakerIndex"] = e.speakerIndex;
    object["startFrame"] = e.startFrame;
    object["endFrame"] = e.endFrame;
    object["startTime"] = e.startTime;
    object["endTime"] = e.endTime;
    object["embedding256"] = std::move(embedding);
    object["rho128"] = e.rho128;
    object["cluster"] = cluster;
    return object;
}

} // namespace

void exportEmbeddings(const std::vector<TimedEmbedding>& embeddings, const std::vector<std::int64_t>& assignments,
                      const std::string& path, const AppLogger& logger) {
    auto document = nlohmann::ordered_json::array();
    for (std::size_t i = 0; i < embeddings.size(); ++i) {
        document.push_back(payload(embeddings[i], i < assignments.size() ? assignments[i] : -1, i));
    }
    const auto text = document.dump();
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file || !file.write(text.data(), static_cast<std::streamsize>(text.size())) || !file.flush()) {
        throw OfflineDiarizationError::exportFailed("cannot write " + path + ": " + std::strerror(errno));
    }
    logger.info("Exported " + std::to_string(embeddings.size()) + " embeddings to " + path);
}

} // namespace razeziruzer::OfflineEmbeddingExport
