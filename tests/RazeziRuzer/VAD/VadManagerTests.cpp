#include "RazeziRuzer/VAD/VadManager.hpp"

#include "Platform/CoreML/MLModelBackendRegistry.hpp"
#include "RazeziRuzer/DownloadUtils.hpp"
#include "RazeziRuzer/VAD/VadError.hpp"
#include "tests/RazeziRuzer/VAD/ScriptedVadModel.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>

#include <algorithm>

namespace razeziruzer {
namespace {

// The model is on disk already; nothing may reach the network.
struct OfflineOnly {
    OfflineOnly() { DownloadUtils::enforceOffline = true; }
    ~OfflineOnly() { DownloadUtils::enforceOffline = false; }
};

using platform::coreml::MLModelBackendRegistry;
using platform::coreml::ScriptedModelBackend;
using vadtest::chunksAt;

std::vector<float> recorded(const ScriptedModelBackend::Call& call, const char* name) {
    const auto array = *call.inputs.at(name).value.multiArrayValue();
    std::vector<float> values;
    for (std::int64_t i = 0; i < array.count(); ++i) values.push_back(array[i].floatValue());
    return values;
}

std::vector<float> ramp(std::size_t count) {
    std::vector<float> values(count);
    for (std::size_t i = 0; i < count; ++i) values[i] = static_cast<float>(i) * 1e-4f;
    return values;
}

class VadManagerTests : public ::testing::Test {
protected:
    std::shared_ptr<ScriptedModelBackend> backend = vadtest::scriptedVadBackend();
    VadManager manager{VadConfig{}, vadtest::scriptedVadModel(backend)};
};

TEST_F(VadManagerTests, ChunksCarryStateAndContextInOrder) {
    auto samples = ramp(4097);
    const auto results = manager.process(samples);
    ASSERT_EQ(results.size(), 2u);
    ASSERT_EQ(backend->callCount(), 2u);
    const auto calls = backend->calls();

    // First chunk: zero context, then the chunk's 4096 samples.
    const auto first = recorded(calls[0], "audio_input");
    EXPECT_EQ(std::vector<float>(first.begin(), first.begin() + 64), std::vector<float>(64, 0.0f));
    EXPECT_EQ(std::vector<float>(first.begin() + 64, first.end()), std::vector<float>(samples.begin(), samples.begin() + 4096));

    // Second chunk: the first chunk's last 64 samples, then one sample repeated 4096 times.
    const auto second = recorded(calls[1], "audio_input");
    EXPECT_EQ(std::vector<float>(second.begin(), second.begin() + 64),
              std::vector<float>(samples.begin() + 4032, samples.begin() + 4096));
    EXPECT_EQ(std::vector<float>(second.begin() + 64, second.end()), std::vector<float>(4096, samples[4096]));
    EXPECT_EQ(recorded(calls[1], "hidden_state"), std::vector<float>(128, 1.0f));
    EXPECT_EQ(results[1].outputState.context, std::vector<float>(64, samples[4096]));
    EXPECT_EQ(results[1].outputState.hiddenState, std::vector<float>(128, 2.0f));
    EXPECT_FLOAT_EQ(results[1].probability, samples[4096]);
}

TEST_F(VadManagerTests, ChunkNormalisation) {
    struct Case {
        const char* name;
        std::vector<float> chunk;
        std::vector<float> expectedAudio;  // positions 64 onward
    };
    const auto longChunk = ramp(5000);
    const std::vector<float> shortChunk{0.1f, 0.2f, 0.3f};
    auto extended = std::vector<float>(4096, 0.3f);
    extended[0] = 0.1f;
    extended[1] = 0.2f;
    const Case cases[] = {
        {"longer chunk is cut", longChunk, std::vector<float>(longChunk.begin(), longChunk.begin() + 4096)},
        {"shorter chunk repeats its last sample", shortChunk, extended},
        {"empty chunk is silence", {}, std::vector<float>(4096, 0.0f)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto before = backend->callCount();
        const auto result = manager.processChunk(c.chunk);
        const auto audio = recorded(backend->calls()[before], "audio_input");
        EXPECT_EQ(std::vector<float>(audio.begin() + 64, audio.end()), c.expectedAudio);
        EXPECT_EQ(result.outputState.context, std::vector<float>(c.expectedAudio.end() - 64, c.expectedAudio.end()));
    }
}

TEST_F(VadManagerTests, NoStateIsTheInitialStateAndThresholdIsInclusive) {
    const auto chunk = std::vector<float>(4096, 0.85f);
    const auto withoutState = manager.processChunk(chunk);
    const auto withInitial = manager.processChunk(chunk, VadState::initial());
    EXPECT_EQ(withoutState.outputState, withInitial.outputState);
    EXPECT_TRUE(withoutState.isVoiceActive);
    EXPECT_FALSE(manager.processChunk(std::vector<float>(4096, 0.84f)).isVoiceActive);
}

TEST_F(VadManagerTests, BuffersAreConvertedTo16kHzMonoFirst) {
    // One second of stereo at 32 kHz: 16000 samples once converted, so four chunks.
    auto format = platform::audio::AudioFormat::standard(32000, 2);
    ASSERT_TRUE(format.has_value());
    auto buffer = platform::audio::PCMBuffer::make(*format, 32000);
    ASSERT_TRUE(buffer.has_value());
    buffer->setFrameLength(32000);
    for (std::uint32_t channel = 0; channel < 2; ++channel) {
        std::fill_n(buffer->floatChannelData(channel), 32000, 0.5f);
    }
    const auto results = manager.process(*buffer);
    ASSERT_EQ(results.size(), 4u);
    EXPECT_NEAR(results[1].probability, 0.5f, 0.01f);
}

TEST(VadManagerModelTests, WithoutModel) {
    VadManager manager{VadConfig{}};
    EXPECT_FALSE(manager.isAvailable());
    EXPECT_TRUE(manager.process(std::vector<float>{}).empty());
    EXPECT_TRUE(manager.segmentSpeech(std::vector<float>{}).empty());
    try {
        manager.process(std::vector<float>(10, 0.5f));
        FAIL() << "no error";
    } catch (const VadError& error) {
        EXPECT_EQ(error.kind(), VadErrorKind::notInitialized);
    }
}

TEST(VadManagerModelTests, OutputsAreFoundByNameOrFailNamed) {
    struct Case {
        const char* name;
        vadtest::ScriptedVadOptions options;
        const char* message;  // nullptr: succeeds
    };
    const Case cases[] = {
        {"capitalised longer names", {"VAD_OUTPUT_probability", "model/NEW_HIDDEN_STATE", "New_Cell_State:0"}, nullptr},
        {"missing probability", {.omitProbability = true}, "No VAD output"},
        {"missing hidden state", {.omitHidden = true}, "No new hidden state output"},
        {"missing cell state", {.omitCell = true}, "No new cell state output"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        VadManager manager{VadConfig{}, vadtest::scriptedVadModel(vadtest::scriptedVadBackend(c.options))};
        if (!c.message) {
            EXPECT_FLOAT_EQ(manager.processChunk(std::vector<float>(4096, 0.25f)).probability, 0.25f);
            continue;
        }
        try {
            manager.processChunk(std::vector<float>(4096, 0.25f));
            ADD_FAILURE() << "no error";
        } catch (const VadError& error) {
            EXPECT_EQ(error.kind(), VadErrorKind::modelProcessingFailed);
            EXPECT_EQ(error.description(), std::string("Model processing failed: ") + c.message);
        }
    }
}

TEST(VadManagerModelTests, PredictionErrorsBecomeProcessingFailuresAndFailTheWholeRun) {
    int calls = 0;
    const auto normal = vadtest::scriptedVadBackend();
    auto failing = std::make_shared<ScriptedModelBackend>(
        normal->modelDescription(), [&calls, normal](const auto& inputs, auto* state) {
            if (++calls == 2) throw std::runtime_error("device lost");
            return normal->predict(inputs, state);
        });
    VadManager manager{VadConfig{}, platform::coreml::MLModel(failing)};
    try {
        manager.process(chunksAt({0.9f, 0.9f, 0.9f}));
        FAIL() << "no error";
    } catch (const VadError& error) {
        EXPECT_EQ(error.kind(), VadErrorKind::modelProcessingFailed);
        EXPECT_EQ(error.message(), "device lost");
    }
    // The manager stays usable.
    EXPECT_EQ(manager.process(chunksAt({0.9f})).size(), 1u);
}

TEST(VadManagerModelTests, SegmentsAndSlicesOfARecording) {
    VadManager manager{VadConfig{}, vadtest::scriptedVadModel(vadtest::scriptedVadBackend())};
    auto samples = chunksAt({0.9f, 0.9f, 0.1f, 0.1f, 0.1f, 0.1f, 0.9f});
    const auto segments = manager.segmentSpeech(samples);
    ASSERT_EQ(segments.size(), 2u);
    EXPECT_DOUBLE_EQ(segments[0].startTime, 0.0);
    EXPECT_DOUBLE_EQ(segments[0].endTime, 0.612);
    EXPECT_DOUBLE_EQ(segments[1].startTime, 1.436);
    EXPECT_DOUBLE_EQ(segments[1].endTime, 1.792);
    const auto slices = manager.segmentSpeechAudio(samples);
    ASSERT_EQ(slices.size(), 2u);
    EXPECT_EQ(slices[0].size(), 9792u);
    EXPECT_EQ(slices[1], std::vector<float>(samples.begin() + 22976, samples.end()));

    // A configured negative threshold moves the positive one: 0.35 + 0.15 = 0.5.
    VadSegmentationConfig lower;
    lower.negativeThreshold = 0.35f;
    EXPECT_EQ(manager.segmentSpeech(chunksAt({0.6f, 0.6f}), lower).size(), 1u);
    EXPECT_TRUE(manager.segmentSpeech(chunksAt({0.6f, 0.6f})).empty());
    EXPECT_TRUE(manager.segmentSpeech(std::vector<VadResult>{}, 100).empty());
    EXPECT_TRUE(manager.segmentSpeech(manager.process(chunksAt({0.9f})), 0).empty());
}

TEST(VadManagerLoadTests, LoadsTheBundleFromTheModelsFolderOfTheGivenDirectory) {
    testsupport::TemporaryDirectory folder;
    const auto bundle = folder.path() / "Models" / "silero-vad" / "silero-vad-unified-256ms-v6.0.0.mlmodelc";
    ScriptedModelBackend::writeCompiledModelFolder(bundle);
    auto backend = vadtest::scriptedVadBackend();
    auto registration = MLModelBackendRegistry::shared().registerBackend(
        MLModelBackendRegistry::forPath(bundle), [backend](const auto&, const auto&) { return backend; });
    const OfflineOnly offline;
    VadConfig config;
    config.computeUnits = platform::coreml::MLComputeUnits::cpuOnly;
    const auto manager = VadManager::load(config, folder.path());
    ASSERT_TRUE(manager->isAvailable());
    EXPECT_FLOAT_EQ(manager->processChunk(std::vector<float>(4096, 0.5f)).probability, 0.5f);
    EXPECT_EQ(backend->callCount(), 1u);
}

} // namespace
} // namespace razeziruzer
