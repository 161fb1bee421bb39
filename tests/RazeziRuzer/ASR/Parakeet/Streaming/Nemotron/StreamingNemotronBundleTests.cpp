// A small Nemotron model set written as real program bundles (no scripted
// backend): the recogniser loads it from a folder and streams audio through
// the model runtime, and the tokens are checked against the same networks
// and the same greedy search done here by plain loops. The networks keep the
// feature names and kinds the recogniser relies on and are tiny otherwise:
// two mel bands per 160-sample hop; an encoder that stacks eight window
// frames (the pre-encode frames included) into one step and adds its channel
// cache, which it replaces with the mean of its steps; a prediction network
// of one embedding and a tanh over each layer's state; a linear joint.


#include "RazeziRuzer/ASR/Parakeet/Streaming/Nemotron/StreamingNemotronAsrManager.hpp"
#include "tests/RazeziRuzer/ASR/Parakeet/Streaming/Nemotron/NemotronBundleKit.hpp"
#include "tests/RazeziRuzer/ASR/Parakeet/Streaming/StreamingAudio.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

namespace razeziruzer {
namespace {

using namespace nemotronbundlekit;
using testsupport::ModelBundleWriter;

void writeEncoder(const std::filesystem::path& folder, const Weights& w) {
    ModelBundleWriter bundle;
    ProgramText p(bundle, "tensor<fp32, [1, 2, 65]> mel, tensor<int32, [1]> mel_length, "
                          "tensor<fp32, [1, 4]> cache_channel, tensor<fp32, [1, 4]> cache_time, "
                          "tensor<int32, [1]> cache_len");
    stackSteps(p, w);
    p.op("tensor<fp32, [1, 8, 4]> carried", "add(x = projected, y = cache_channel)")
        .op("tensor<fp32, [1, 8, 4]> activated", "tanh(x = carried)")
        .op("tensor<fp32, [1, 4, 8]> encoded", "transpose(perm = time_major, x = activated)");
    updateCaches(p);
    bundle.write(folder / "encoder/encoder_int8.mlmodelc", p.text("encoded, cache_channel_out, cache_time_out, cache_len_out"));
}

void writeBundles(const std::filesystem::path& folder, const Weights& w) {
    writePreprocessor(folder, w);
    writeEncoder(folder, w);
    writeDecoder(folder, w);
    writeStepJoint(folder, w);
    writeTokenizer(folder);
    std::ofstream(folder / "metadata.json")
        << R"({"mel_features": 2, "chunk_mel_frames": 56, "chunk_ms": 560, "pre_encode_cache": 9,
              "total_mel_frames": 65, "vocab_size": 4, "blank_idx": 4, "encoder_dim": 4, "decoder_hidden": 3,
              "decoder_layers": 2, "cache_channel_shape": [1, 4], "cache_time_shape": [1, 4]})";
}

TEST(NemotronBundleTests, RealBundlesStreamToTheReferenceTokens) {
    testsupport::TemporaryDirectory folder;
    const auto weights = makeWeights(20);
    writeBundles(folder.path(), weights);
    StreamingNemotronAsrManager manager(std::nullopt, std::nullopt, [] { return true; });
    manager.loadModels(folder.path());
    EXPECT_EQ(manager.displayName(), "Nemotron 0.6B (560ms)");

    std::uint32_t seed = 7;
    const auto audio = randomValues(seed, 32000, 1.0f);  // 2 s: three chunks and a padded tail
    for (std::size_t start = 0; start < audio.size(); start += 5000) {
        const auto count = std::min<std::size_t>(5000, audio.size() - start);
        manager.appendAudio(streamingtest::pcmBuffer(std::span(audio).subspan(start, count)));
        manager.processBufferedAudio();
    }
    const auto [text, timings] = manager.finishWithTokenTimings();
    std::vector<std::int64_t> ids;
    for (const auto& timing : timings) ids.push_back(timing.tokenId);
    const auto expected = referenceTokens(weights, audio);
    EXPECT_EQ(ids, expected);
    EXPECT_FALSE(expected.empty());
    EXPECT_EQ(manager.processedChunks(), 4);
}

} // namespace
} // namespace razeziruzer
