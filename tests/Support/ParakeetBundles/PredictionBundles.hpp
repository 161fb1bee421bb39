#pragma once
// The prediction network and the joint decision of a Parakeet TDT v3 model
// set as program bundles, with the names, types and shapes the recogniser
// feeds and reads ("targets", "h_in", "c_in" to "decoder", "h_out", "c_out";
// "encoder_step", "decoder_step" to "token_id", "token_prob", "duration"),
// and the vocabulary file. Sizes other than those are the caller's.

#include "tests/Support/ParakeetBundles/ProgramBuilder.hpp"

#include <array>
#include <filesystem>
#include <string>
#include <vector>

namespace testsupport::parakeet {

inline constexpr std::int64_t encoderWidth = 1024;
inline constexpr std::int64_t lstmWidth = 640;
inline constexpr std::int64_t lstmGates = 4 * lstmWidth;

struct LstmLayerWeights {
    std::vector<float> wIh, wHh, bias; // gates stacked input, forget, output, cell
};

// An embedding of `rows` token rows (ids past the last row read the last
// row, the blank's) and two 640-wide LSTM layers, weights stored as fp16.
struct DecoderWeights {
    std::int64_t rows = 0;
    std::int64_t embeddingWidth = 0;
    DataType embeddingType = DataType::fp32;
    std::vector<float> embedding;
    std::array<LstmLayerWeights, 2> lstm;
};

// Two projections to `width` added, relu, then one logit per token class and
// per duration class. `classTokens` names the token id of each class; empty,
// a class is its own id. Weights stored as fp16.
struct JointWeights {
    std::int64_t width = 0;
    std::int64_t tokenClasses = 0;
    std::int64_t durationClasses = 0;
    std::vector<int> classTokens;
    std::vector<float> encW, encB, decW, decB, outW, outB;
};

void writeDecoder(const std::filesystem::path& folder, const DecoderWeights& weights);
void writeJoint(const std::filesystem::path& folder, const JointWeights& weights);
// A JSON array of pieces, the id of each its position.
void writeVocabulary(const std::filesystem::path& file, const std::vector<std::string>& pieces);

} // namespace testsupport::parakeet
