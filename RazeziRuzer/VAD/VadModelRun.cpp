// The detector's model step: pooled inputs filled from the chunk and state,
// one prediction, and the three outputs read back.
#include "RazeziRuzer/VAD/VadManager.hpp"

#include "Platform/CoreML/MLDictionaryFeatureProvider.hpp"
#include "RazeziRuzer/VAD/VadError.hpp"
#include "RazeziRuzer/VAD/VadModelOutputs.hpp"

#include <algorithm>

namespace razeziruzer {
namespace {

using platform::coreml::MLFeatureValue;
using platform::coreml::MLMultiArray;
using platform::coreml::MLMultiArrayDataType;

constexpr std::int64_t audioInputLength = VadState::contextLength + VadManager::chunkSize;
constexpr std::int64_t stateSize = VadState::stateSize;

// Zeroes the array, then writes as many values as fit from `offset` on.
void fill(ANEMemoryOptimizer& optimizer, const MLMultiArray& array, std::span<const float> values,
          std::int64_t offset, std::size_t atMost) {
    array.fill(0);
    optimizer.optimizedCopy(values.first(std::min(values.size(), atMost)), array, offset, false);
}

// The first `count` values of an output; fewer is a processing failure.
std::vector<float> leading(const MLMultiArray& array, std::int64_t count, const char* what) {
    if (array.count() < count) {
        throw VadError::modelProcessingFailed(std::string(what) + " output has fewer than " +
                                              std::to_string(count) + " values");
    }
    std::vector<float> values(static_cast<std::size_t>(count));
    for (std::int64_t i = 0; i < count; ++i) values[static_cast<std::size_t>(i)] = array[i].floatValue();
    return values;
}

MLMultiArray requiredOutput(const platform::coreml::MLFeatureProvider& outputs, const std::string& name,
                            const AppLogger& logger, const char* logText, const char* message) {
    auto array = featureValue(outputs, name);
    if (!array) {
        logger.error(logText);
        throw VadError::modelProcessingFailed(message);
    }
    return *array;
}

} // namespace

VadManager::ModelOutput VadManager::runModel(std::span<const float> chunk, const VadState& state) {
    try {
        return predict(chunk, state);
    } catch (const VadError& error) {
        logger_.error("Model processing failed: " + (error.message().empty() ? error.description() : error.message()));
        throw;
    } catch (...) {
        const auto description = platform::describeError(std::current_exception());
        logger_.error("Model processing failed: " + description);
        throw VadError::modelProcessingFailed(description);
    }
}

VadManager::ModelOutput VadManager::predict(std::span<const float> chunk, const VadState& state) {
    // The pooled arrays are shared by every call, so one prediction at a time.
    std::lock_guard lock(mutex_);
    const auto audio = memoryOptimizer_.getPooledBuffer("vad_audio_input", {1, audioInputLength},
                                                        MLMultiArrayDataType::float32);
    const auto hidden = memoryOptimizer_.getPooledBuffer("vad_hidden_state", {1, stateSize},
                                                         MLMultiArrayDataType::float32);
    const auto cell = memoryOptimizer_.getPooledBuffer("vad_cell_state", {1, stateSize},
                                                       MLMultiArrayDataType::float32);
    audio.fill(0);
    memoryOptimizer_.optimizedCopy(std::span(state.context).first(std::min(state.context.size(),
                                                                           VadState::contextLength)),
                                   audio, 0, false);
    memoryOptimizer_.optimizedCopy(chunk.first(std::min(chunk.size(), chunkSize)), audio,
                                   VadState::contextLength, false);
    fill(memoryOptimizer_, hidden, state.hiddenState, 0, VadState::stateSize);
    fill(memoryOptimizer_, cell, state.cellState, 0, VadState::stateSize);

    const platform::coreml::MLDictionaryFeatureProvider inputs(
        {{"audio_input", MLFeatureValue(audio)}, {"hidden_state", MLFeatureValue(hidden)},
         {"cell_state", MLFeatureValue(cell)}});
    const auto outputs = vadModel_->prediction(inputs);

    const auto probability = requiredOutput(outputs, "vad_output", logger_, "No vad output found", "No VAD output");
    const auto newHidden = requiredOutput(outputs, "new_hidden_state", logger_, "No new hidden state output found",
                                          "No new hidden state output");
    const auto newCell = requiredOutput(outputs, "new_cell_state", logger_, "No new cell state output found",
                                        "No new cell state output");
    if (probability.count() < 1) throw VadError::modelProcessingFailed("No VAD output");
    return {probability[0].floatValue(), leading(newHidden, stateSize, "New hidden state"),
            leading(newCell, stateSize, "New cell state")};
}

} // namespace razeziruzer
