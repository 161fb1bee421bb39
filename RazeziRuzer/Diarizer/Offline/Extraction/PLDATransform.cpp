#include "RazeziRuzer/Diarizer/Offline/Extraction/PLDATransform.hpp"

#include "Platform/Concurrency/Cancellation.hpp"
#include "RazeziRuzer/Diarizer/Offline/Core/OfflineDiarizationError.hpp"
#include "RazeziRuzer/Shared/MLMultiArrayAdditions.hpp"
#include "RazeziRuzer/Shared/ZeroCopyDiarizerFeatureProvider.hpp"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <string>

namespace razeziruzer {
namespace {

using platform::coreml::MLFeatureValue;
using platform::coreml::MLMultiArray;
using platform::coreml::MLMultiArrayDataType;

const std::string inputName = "embeddings";
const std::string outputName = "rho";

ZeroCopyDiarizerFeatureProvider inputFor(const MLMultiArray& array) {
    prefetchToNeuralEngine(array);
    return ZeroCopyDiarizerFeatureProvider({{inputName, MLFeatureValue(array)}});
}

} // namespace

PLDATransform::PLDATransform(platform::coreml::MLModel pldaRhoModel, std::vector<double> psi)
    : model_(std::move(pldaRhoModel)), psi_(std::move(psi)) {}

std::vector<std::vector<double>> PLDATransform::transform(const std::vector<std::vector<float>>& embeddings,
                                                          const std::stop_token& stop) const {
    if (embeddings.empty()) return {};
    for (const auto& e : embeddings) {
        if (e.size() != embeddingDimension) {
            throw OfflineDiarizationError::invalidConfiguration("Expected " + std::to_string(embeddingDimension) +
                                                                "-dim embeddings, got " + std::to_string(e.size()));
        }
    }
    try {
        performWarmup();
    } catch (const std::exception& error) {
        logger_.debug(std::string("PLDA warmup skipped due to error: ") + error.what());
    }
    std::vector<std::vector<double>> rho;
    rho.reserve(embeddings.size());
    for (std::size_t start = 0; start < embeddings.size(); start += maxBatchSize) {
        platform::checkCancellation(stop);
        const auto count = std::min(maxBatchSize, embeddings.size() - start);
        auto batch = transformBatch(std::span(embeddings).subspan(start, count));
        std::move(batch.begin(), batch.end(), std::back_inserter(rho));
    }
    return rho;
}

std::vector<double> PLDATransform::transform(const std::vector<float>& embedding) const {
    if (embedding.size() != embeddingDimension) {
        throw OfflineDiarizationError::invalidConfiguration("Expected " + std::to_string(embeddingDimension) +
                                                            "-dim embedding, got " + std::to_string(embedding.size()));
    }
    auto rho = transform(std::vector<std::vector<float>>{embedding});
    return rho.empty() ? std::vector<double>{} : std::move(rho.front());
}

void PLDATransform::performWarmup() const {
    const auto key = "offline_plda_warmup_embedding_" + std::to_string(embeddingDimension);
    const auto buffer = memoryOptimizer_->getPooledBuffer(key, {1, static_cast<std::int64_t>(embeddingDimension)},
                                                          MLMultiArrayDataType::float32);
    reset(buffer, 0.0);
    model_.prediction(inputFor(buffer));
}

std::vector<std::vector<double>> PLDATransform::transformBatch(std::span<const std::vector<float>> batch) const {
    if (batch.empty()) return {};
    if (batch.size() > maxBatchSize) {
        throw OfflineDiarizationError::invalidBatchSize("PldaRho batch size must be <= " + std::to_string(maxBatchSize) +
                                                        ", got " + std::to_string(batch.size()));
    }
    const auto rows = static_cast<std::int64_t>(batch.size());
    const auto input = memoryOptimizer_->createAlignedArray({rows, static_cast<std::int64_t>(embeddingDimension)},
                                                            MLMultiArrayDataType::float32);
    for (std::size_t i = 0; i < batch.size(); ++i) {
        memoryOptimizer_->optimizedCopy(batch[i], input, static_cast<std::int64_t>(i * embeddingDimension), false);
    }
    const auto output = model_.prediction(inputFor(input));
    const auto value = output.featureValue(outputName);
    const auto rhoArray = value ? value->multiArrayValue() : std::nullopt;
    if (!rhoArray || rhoArray->count() < rows * static_cast<std::int64_t>(rhoDimension)) {
        throw OfflineDiarizationError::processingFailed("PldaRho model did not produce rho output");
    }
    std::vector<std::vector<double>> rho(batch.size(), std::vector<double>(rhoDimension));
    for (std::int64_t i = 0; i < rows; ++i) {
        for (std::int64_t k = 0; k < static_cast<std::int64_t>(rhoDimension); ++k) {
            rho[static_cast<std::size_t>(i)][static_cast<std::size_t>(k)] = (*rhoArray)[{i, k}].doubleValue();
        }
    }
    return rho;
}

double PLDATransform::score(std::span<const double> a, std::span<const double> b) {
    if (a.size() != rhoDimension || a.size() != b.size()) return 0.0;
    double dot = 0, normA = 0, normB = 0;
    for (std::size_t k = 0; k < a.size(); ++k) {
        dot += a[k] * b[k];
        normA += a[k] * a[k];
        normB += b[k] * b[k];
    }
    const double norms = std::sqrt(normA) * std::sqrt(normB);
    return norms > 0 ? dot / norms : 0.0;
}

} // namespace razeziruzer
