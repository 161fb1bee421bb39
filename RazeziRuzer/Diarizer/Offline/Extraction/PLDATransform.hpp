#pragma once
// Projects 256-value speaker embeddings into the 128-value PLDA space by
// running the PLDA rho model in batches of at most 32, and carries the PLDA
// psi vector that VBx uses as its across-class variance diagonal.

#include "Platform/CoreML/MLModel.hpp"
#include "RazeziRuzer/Shared/ANEMemoryOptimizer.hpp"
#include "RazeziRuzer/Shared/AppLogger.hpp"

#include <memory>
#include <span>
#include <stop_token>
#include <vector>

namespace razeziruzer {

class PLDATransform {
public:
    static constexpr std::size_t embeddingDimension = 256;
    static constexpr std::size_t rhoDimension = 128;
    static constexpr std::size_t maxBatchSize = 32;

    PLDATransform(platform::coreml::MLModel pldaRhoModel, std::vector<double> psi);

    const platform::coreml::MLModel& pldaRhoModel() const { return model_; }
    const std::vector<double>& psi() const { return psi_; }

    // One rho vector per embedding, in order. Throws OfflineDiarizationError
    // (invalidConfiguration) for an embedding that is not 256 values long,
    // before any prediction; model errors and a stop request (checked before
    // each batch) pass through. A failed warm-up is only logged.
    std::vector<std::vector<double>> transform(const std::vector<std::vector<float>>& embeddings,
                                               const std::stop_token& stop = {}) const;
    std::vector<double> transform(const std::vector<float>& embedding) const;

    // Cosine similarity of two rho vectors; 0 for other lengths or a zero vector.
    static double score(std::span<const double> a, std::span<const double> b);

private:
    void performWarmup() const;
    std::vector<std::vector<double>> transformBatch(std::span<const std::vector<float>> batch) const;

    platform::coreml::MLModel model_;
    std::vector<double> psi_;
    std::shared_ptr<ANEMemoryOptimizer> memoryOptimizer_ = std::make_shared<ANEMemoryOptimizer>();
    AppLogger logger_{"OfflinePLDA"};
};

} // namespace razeziruzer
