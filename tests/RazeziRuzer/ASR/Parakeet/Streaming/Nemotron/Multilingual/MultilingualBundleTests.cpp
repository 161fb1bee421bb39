// A small multilingual model set written as real program bundles (no scripted
// backend): the recogniser loads it from a folder and streams audio through
// the model runtime, on the frame loop and on the speculative decode, and the
// tokens are checked against the same networks and greedy search done here by
// plain loops. The networks keep the feature names and kinds the recogniser
// relies on and are tiny otherwise: two mel bands per 160-sample hop; an
// encoder that stacks eight window frames into one step, adds the prompt's
// embedding and its channel cache (which it replaces with the mean of its
// steps), and widens each step to a 640-wide projection; a prediction network
// of one embedding and a tanh over each layer's state; linear joints over the
// step and over a window of projections.

#include "RazeziRuzer/ASR/Parakeet/Streaming/Nemotron/StreamingNemotronMultilingualAsrManager.hpp"
#include "tests/RazeziRuzer/ASR/Parakeet/Streaming/Nemotron/Multilingual/MultilingualStream.hpp"
#include "tests/RazeziRuzer/ASR/Parakeet/Streaming/Nemotron/NemotronBundleKit.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

namespace razeziruzer {
namespace {

using namespace nemotronbundlekit;
using testsupport::ModelBundleWriter;

constexpr std::int64_t projWidth = 640;
constexpr std::int64_t prompts = 3;
constexpr std::int64_t batchWindow = 3;

// The 640-wide projection and the batched joint over it.
struct ProjectionWeights {
    std::vector<float> widen, jointProjW;
};

ProjectionWeights makeProjectionWeights(const Weights& w) {
    ProjectionWeights p;
    // The projection is the step itself in its first four channels, zeros after.
    p.widen.assign(projWidth * width, 0.0f);
    for (std::int64_t i = 0; i < width; ++i) p.widen[i * width + i] = 1.0f;
    p.jointProjW.assign(classes * projWidth, 0.0f);
    for (std::int64_t c = 0; c < classes; ++c) {
        for (std::int64_t i = 0; i < width; ++i) p.jointProjW[c * projWidth + i] = w.jointEncW[c * width + i];
    }
    return p;
}

void writeEncoder(const std::filesystem::path& folder, const Weights& w, const ProjectionWeights& projection) {
    ModelBundleWriter bundle;
    ProgramText p(bundle, "tensor<fp32, [1, 2, 65]> mel, tensor<int32, [1]> mel_length, "
                          "tensor<fp32, [1, 4]> cache_channel, tensor<fp32, [1, 4]> cache_time, "
                          "tensor<int32, [1]> cache_len, tensor<int32, [1]> prompt_id");
    stackSteps(p, w);
    p.weights("prompt_table", w.prompt, {prompts, width})
        .line(testsupport::intConstant("zero", 0))
        .op("tensor<fp32, [1, 4]> prompt", "gather(axis = zero, indices = prompt_id, x = prompt_table)")
        .op("tensor<fp32, [1, 8, 4]> prompted", "add(x = projected, y = prompt)")
        .op("tensor<fp32, [1, 8, 4]> carried", "add(x = prompted, y = cache_channel)")
        .op("tensor<fp32, [1, 8, 4]> activated", "tanh(x = carried)")
        .op("tensor<fp32, [1, 4, 8]> encoded", "transpose(perm = time_major, x = activated)")
        .weights("widen_w", projection.widen, {projWidth, width})
        .weights("widen_b", std::vector<float>(projWidth, 0.0f), {projWidth})
        .op("tensor<fp32, [1, 8, 640]> encoder_proj", "linear(bias = widen_b, weight = widen_w, x = activated)");
    updateCaches(p);
    bundle.write(folder / "encoder.mlmodelc",
                 p.text("encoded, encoder_proj, cache_channel_out, cache_time_out, cache_len_out"));
}

void writeBatchedJoint(const std::filesystem::path& folder, const Weights& w, const ProjectionWeights& projection) {
    ModelBundleWriter bundle;
    ProgramText p(bundle, "tensor<fp32, [1, 3, 640]> encoder_proj, tensor<fp32, [1, 3, 1]> decoder");
    p.ints("dec_row", {1, hidden})
        .op("tensor<fp32, [1, 3]> dec", "reshape(shape = dec_row, x = decoder)")
        .weights("proj_w", projection.jointProjW, {classes, projWidth})
        .weights("dec_w", w.jointDecW, {classes, hidden})
        .weights("joint_b", w.jointB, {classes})
        .weights("no_bias", std::vector<float>(classes, 0.0f), {classes})
        .op("tensor<fp32, [1, 3, 5]> from_proj", "linear(bias = joint_b, weight = proj_w, x = encoder_proj)")
        .op("tensor<fp32, [1, 5]> from_dec", "linear(bias = no_bias, weight = dec_w, x = dec)")
        .op("tensor<fp32, [1, 3, 5]> summed", "add(x = from_proj, y = from_dec)")
        .ints("logit_shape", {1, batchWindow, 1, classes})
        .op("tensor<fp32, [1, 3, 1, 5]> logits", "reshape(shape = logit_shape, x = summed)");
    bundle.write(folder / "joint_noencproj_batched.mlmodelc", p.text("logits"));
}

void writeBundles(const std::filesystem::path& folder, const Weights& w, bool batched) {
    const auto projection = makeProjectionWeights(w);
    writePreprocessor(folder, w);
    writeEncoder(folder, w, projection);
    writeDecoder(folder, w);
    writeStepJoint(folder, w);
    if (batched) writeBatchedJoint(folder, w, projection);
    writeTokenizer(folder);
    std::ofstream(folder / "metadata.json")
        << R"({"mel_features": 2, "chunk_mel_frames": 56, "pre_encode_cache": 9, "vocab_size": 4, "encoder_dim": 4,
              "decoder_hidden": 3, "decoder_layers": 2, "cache_channel_shape": [1, 4], "cache_time_shape": [1, 4],
              "num_prompts": 3, "default_prompt_id": 0, "prompt_dictionary": {"en": 1, "de": 2}})";
}

TEST(MultilingualBundleTests, RealBundlesStreamToTheReferenceTokensOnBothDecodes) {
    const auto weights = makeWeights(31, prompts);
    std::uint32_t seed = 9;
    const auto audio = randomValues(seed, 40000, 1.0f);  // four chunks and a padded tail
    const auto expected = referenceTokens(weights, audio, {.prompt = 2});
    ASSERT_FALSE(expected.empty());
    // The carried encoder cache changes the tokens, so a recogniser that dropped it would fail.
    ASSERT_NE(expected, referenceTokens(weights, audio, {.prompt = 2, .carryCaches = false}));
    for (const bool batched : {false, true}) {
        SCOPED_TRACE(batched ? "speculative decode" : "frame loop");
        testsupport::TemporaryDirectory folder;
        writeBundles(folder.path(), weights, batched);
        StreamingNemotronMultilingualAsrManager manager(std::nullopt, multilingualkit::testDependencies());
        manager.loadModels(folder.path());
        manager.setLanguage("de");
        EXPECT_EQ(manager.jointNoEncProjBatchedK(), batched ? batchWindow : 8);
        for (std::size_t start = 0; start < audio.size(); start += 20000) {
            manager.process(std::span(audio).subspan(start, std::min<std::size_t>(20000, audio.size() - start)));
        }
        const auto [text, timings] = manager.finishWithTokenTimings();
        std::vector<std::int64_t> ids;
        for (const auto& timing : timings) ids.push_back(timing.tokenId);
        EXPECT_EQ(ids, expected);
        EXPECT_EQ(manager.lastDecodeStats().processedChunks, 5);
        EXPECT_EQ(manager.counters().specWindowsTotal > 0, batched);
    }
}

} // namespace
} // namespace razeziruzer
