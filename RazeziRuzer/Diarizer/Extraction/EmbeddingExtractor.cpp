#include "RazeziRuzer/Diarizer/Extraction/EmbeddingExtractor.hpp"

#include "RazeziRuzer/Shared/MLMultiArrayAdditions.hpp"
#include "RazeziRuzer/Shared/ZeroCopyDiarizerFeatureProvider.hpp"

#include <algorithm>
#include <numeric>

namespace razeziruzer {
namespace {

using platform::coreml::MLFeatureValue;
using platform::coreml::MLMultiArray;
using platform::coreml::MLMultiArrayDataType;

// Repeats values[0, filled) by doubling copies until `length` is filled.
void repeatToFill(std::vector<float>& values, std::size_t filled, std::size_t length) {
    if (filled == 0) return;
    values.resize(length, 0.0f);
    while (filled < length) {
        const auto amount = std::min(filled, length - filled);
        std::copy_n(values.begin(), amount, values.begin() + static_cast<std::ptrdiff_t>(filled));
        filled += amount;
    }
}

// Writes row 0 of a [3, length] array through its strides.
void writeRow(const MLMultiArray& array, const std::vector<float>& values) {
    for (std::size_t i = 0; i < values.size(); ++i) array[{0, static_cast<std::int64_t>(i)}] = values[i];
}

} // namespace

EmbeddingExtractor::EmbeddingExtractor(platform::coreml::MLModel embeddingModel)
    : wespeakerModel_(std::move(embeddingModel)) {
    logger_.info("EmbeddingExtractor ready with ANE memory optimizer");
}

std::vector<std::vector<float>> EmbeddingExtractor::getEmbeddings(std::span<const float> audio,
                                                                  const std::vector<std::vector<float>>& masks,
                                                                  float minActivityThreshold) {
    std::vector<std::vector<float>> embeddings;
    if (masks.empty()) return embeddings;
    const auto frames = static_cast<std::int64_t>(masks.front().size());
    const auto waveform = memoryOptimizer_.createAlignedArray({3, waveformLength}, MLMultiArrayDataType::float32);
    const auto maskArray = memoryOptimizer_.createAlignedArray({3, frames}, MLMultiArrayDataType::float32);

    const auto n = static_cast<std::int64_t>(audio.size());
    std::vector<float> window(audio.begin(), audio.begin() + std::min(n, waveformLength));
    repeatToFill(window, window.size(), static_cast<std::size_t>(waveformLength));
    writeRow(waveform, window);
    // Audio beyond the window runs on into the unused rows, as one flat copy would.
    for (std::int64_t i = waveformLength; i < std::min(n, 3 * waveformLength); ++i) {
        waveform[i] = audio[static_cast<std::size_t>(i)];
    }
    const auto validFrames = static_cast<std::size_t>(std::min(frames, (n * frames + waveformLength / 2) / waveformLength));

    for (const auto& mask : masks) {
        const float sum = std::accumulate(mask.begin(), mask.end(), 0.0f);
        if (minActivityThreshold > sum) {
            embeddings.emplace_back(static_cast<std::size_t>(embeddingSize), 0.0f);
            continue;
        }
        std::vector<float> row(mask.begin(), mask.begin() + static_cast<std::ptrdiff_t>(std::min(validFrames, mask.size())));
        repeatToFill(row, row.size(), mask.size());
        row.resize(static_cast<std::size_t>(frames), 0.0f);
        maskArray.fill(0);
        writeRow(maskArray, row);
        const ZeroCopyDiarizerFeatureProvider features(
            {{"waveform", MLFeatureValue(waveform)}, {"mask", MLFeatureValue(maskArray)}});
        prefetchToNeuralEngine(waveform);
        prefetchToNeuralEngine(maskArray);
        const auto output = wespeakerModel_.prediction(features);
        const auto value = output.featureValue("embedding");
        const auto array = value ? value->multiArrayValue() : std::nullopt;
        if (array && array->count() >= embeddingSize) {
            embeddings.push_back(embeddingRow(*array, 0));
        } else {
            embeddings.emplace_back(static_cast<std::size_t>(embeddingSize), 0.0f);
        }
    }
    return embeddings;
}

std::vector<float> EmbeddingExtractor::embeddingRow(const MLMultiArray& output, std::int64_t speakerIndex) {
    std::vector<float> values(static_cast<std::size_t>(embeddingSize));
    try {
        const auto view = memoryOptimizer_.createZeroCopyView(output, {1, embeddingSize}, speakerIndex * embeddingSize);
        for (std::int64_t i = 0; i < embeddingSize; ++i) values[static_cast<std::size_t>(i)] = view[i].floatValue();
    } catch (const std::exception&) {
        // A run that cannot be viewed in one set of strides is read element by element.
        for (std::int64_t i = 0; i < embeddingSize; ++i) {
            values[static_cast<std::size_t>(i)] = output[speakerIndex * embeddingSize + i].floatValue();
        }
    }
    return values;
}

} // namespace razeziruzer
