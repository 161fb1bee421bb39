#pragma once
// A scripted voice-activity model with the real feature names and shapes. By
// default its probability is the first sample of the chunk (so a chunk filled
// with 0.9 is "speech at 0.9"), its hidden state counts the chunks seen (each
// value + 1) and its cell state accumulates the first samples, so a test can
// observe the state carried from chunk to chunk.

#include "Platform/CoreML/MLModel.hpp"
#include "Platform/CoreML/ScriptedModelBackend.hpp"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace razeziruzer::vadtest {

struct ScriptedVadOptions {
    std::string probabilityName = "vad_output";
    std::string hiddenName = "new_hidden_state";
    std::string cellName = "new_cell_state";
    bool omitProbability = false;
    bool omitHidden = false;
    bool omitCell = false;
};

std::shared_ptr<platform::coreml::ScriptedModelBackend> scriptedVadBackend(ScriptedVadOptions options = {});
platform::coreml::MLModel scriptedVadModel(const std::shared_ptr<platform::coreml::ScriptedModelBackend>& backend);

// Audio of 4096-sample chunks, each filled with its probability.
std::vector<float> chunksAt(const std::vector<float>& probabilities);
// The same probabilities, each repeated `count` times.
std::vector<float> repeated(float probability, int count);
std::vector<float> concatenated(std::initializer_list<std::vector<float>> parts);

} // namespace razeziruzer::vadtest
