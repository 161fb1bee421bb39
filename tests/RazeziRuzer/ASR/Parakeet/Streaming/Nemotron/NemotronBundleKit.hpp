#pragma once
// Pieces of the tiny Nemotron-shaped program bundles that the English and the
// multilingual bundle tests both write, and the plain-loop greedy search their
// tokens are checked against. Two mel bands per 160-sample hop; an encoder
// that stacks eight window frames into one step (plus, for the multilingual
// set, the prompt's embedding) and adds its channel cache; a prediction
// network of one embedding and a tanh over each layer's state; a linear joint.

#include "tests/Support/ModelBundleWriter.hpp"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace razeziruzer::nemotronbundlekit {

inline constexpr std::int64_t hop = 160;
inline constexpr std::int64_t newFrames = 56;  // 560 ms
inline constexpr std::int64_t cachedFrames = 9;
inline constexpr std::int64_t windowFrames = newFrames + cachedFrames;
inline constexpr std::int64_t chunkSamples = newFrames * hop;
inline constexpr std::int64_t bands = 2;
inline constexpr std::int64_t stack = 8;
inline constexpr std::int64_t steps = (windowFrames - 1) / stack;  // frames 1 ..< 65 make 8 steps
inline constexpr std::int64_t width = 4;
inline constexpr std::int64_t hidden = 3;
inline constexpr std::int64_t classes = 5;  // four tokens and the blank
inline constexpr int blank = 4;

struct Weights {
    std::vector<float> melW, melB, encW, encB, prompt, embedding, jointEncW, jointDecW, jointB;
};

// Uniform values in [-scale, scale) from a linear congruential sequence.
std::vector<float> randomValues(std::uint32_t& seed, std::size_t count, float scale);
// `prompts` rows of prompt embedding are drawn only when it is above zero.
Weights makeWeights(std::uint32_t seed, std::int64_t prompts = 0);

// The body of one program's main function, built statement by statement.
class ProgramText {
public:
    ProgramText(testsupport::ModelBundleWriter& bundle, std::string signature);
    ProgramText& line(const std::string& text);
    ProgramText& weights(const std::string& name, const std::vector<float>& values,
                         const testsupport::ModelBundleWriter::Shape& shape);
    ProgramText& ints(const std::string& name, std::vector<std::int64_t> values);
    ProgramText& op(const std::string& result, const std::string& call);
    std::string text(const std::string& outputs) const;

private:
    testsupport::ModelBundleWriter& bundle_;
    std::string signature_;
    std::string body_;
};

// The encoder's opening: frames 1 ..< 65 of the mel window stacked eight to a
// step and projected to `projected` [1, 8, 4]; defines `time_major`.
void stackSteps(ProgramText& p, const Weights& w);
// The encoder's cache outputs from `activated`: the channel cache becomes the
// mean of the steps, the time cache halves and the length counts chunks.
void updateCaches(ProgramText& p);

void writePreprocessor(const std::filesystem::path& folder, const Weights& w);
void writeDecoder(const std::filesystem::path& folder, const Weights& w);
// The joint over one encoder step, "joint.mlmodelc".
void writeStepJoint(const std::filesystem::path& folder, const Weights& w);
void writeTokenizer(const std::filesystem::path& folder);

struct ReferenceOptions {
    std::optional<std::int64_t> prompt;  // the prompt row added to every step
    bool carryCaches = true;             // whether the channel cache passes to the next chunk
};

// The same networks and greedy search by plain loops.
std::vector<std::int64_t> referenceTokens(const Weights& w, std::vector<float> audio, const ReferenceOptions& options = {});

} // namespace razeziruzer::nemotronbundlekit
