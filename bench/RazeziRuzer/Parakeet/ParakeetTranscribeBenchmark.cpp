// Wall time of AsrManager::transcribe over a real-size Parakeet-shaped model
// set run by the model runtime, for 10 s and 60 s of audio, with each model's
// prediction count and total prediction time. The set is written once into a
// temporary folder (or --folder) and reused by later runs.
//
//   RazeziRuzerParakeetTranscribeBench [--precision fp32|fp16] [--shapes fixed|flexible]
//                                      [--seconds 10,60] [--runs 2] [--folder DIR]
//
// Prediction times of the chunked path add up the chunks decoded in parallel,
// so they may exceed the wall time.

#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/AsrManager.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/AsrModels.hpp"
#include "RazeziRuzer/DownloadUtils.hpp"
#include "bench/RazeziRuzer/Parakeet/RealSizeParakeetSet.hpp"
#include "tests/Support/ParakeetBundles/ModelCallRecorder.hpp"
#include "tests/Support/ParakeetBundles/SeededUniform.hpp"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <numbers>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace razeziruzer;
using parakeetbench::Precision;
using testsupport::parakeet::ModelCallRecorder;

struct Arguments {
    parakeetbench::SetOptions set;
    std::vector<int> seconds{10, 60};
    int runs = 2;
    std::filesystem::path folder = std::filesystem::temp_directory_path() / "ostrel-parakeet-bench";
};

std::optional<Arguments> parse(int argc, char** argv) {
    Arguments arguments;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string key = argv[i];
        const std::string value = argv[i + 1];
        if (key == "--precision" && (value == "fp32" || value == "fp16")) {
            arguments.set.encoderPrecision = value == "fp16" ? Precision::fp16 : Precision::fp32;
        } else if (key == "--shapes" && (value == "fixed" || value == "flexible")) {
            arguments.set.flexible = value == "flexible";
        } else if (key == "--seconds") {
            arguments.seconds.clear();
            std::stringstream list(value);
            for (std::string item; std::getline(list, item, ',');) arguments.seconds.push_back(std::stoi(item));
        } else if (key == "--runs") {
            arguments.runs = std::max(1, std::stoi(value));
        } else if (key == "--folder") {
            arguments.folder = value;
        } else {
            return std::nullopt;
        }
    }
    if (argc % 2 == 0) return std::nullopt;
    return arguments;
}

// Speech-like audio: syllable-long tone bursts of changing pitch and
// loudness with short pauses, over a little noise.
std::vector<float> speechLike(int seconds) {
    const auto length = static_cast<std::size_t>(seconds) * 16000;
    testsupport::parakeet::SeededUniform random(static_cast<std::uint32_t>(seconds));
    const auto noise = random.values(length, 0.01f);
    const auto pitches = random.values(length / 3200 + 1, 1.0f);
    std::vector<float> audio(length);
    for (std::size_t i = 0; i < length; ++i) {
        const auto syllable = i / 3200; // 0.2 s
        const auto within = static_cast<float>(i % 3200) / 3200.0f;
        const float envelope = syllable % 7 == 6 ? 0.0f : std::sin(std::numbers::pi_v<float> * within);
        const float pitch = 300.0f + 200.0f * pitches[syllable];
        const float t = static_cast<float>(i) / 16000.0f;
        audio[i] = 0.4f * envelope * (std::sin(2.0f * std::numbers::pi_v<float> * pitch * t) +
                                      0.5f * std::sin(4.0f * std::numbers::pi_v<float> * pitch * t)) +
                   noise[i];
    }
    return audio;
}

// A short fingerprint of the text, to see at a glance that two sets agree.
std::uint64_t fingerprint(const std::string& text) {
    std::uint64_t hash = 14695981039346656037ull;
    for (const unsigned char c : text) hash = (hash ^ c) * 1099511628211ull;
    return hash;
}

double seconds(std::chrono::steady_clock::duration duration) { return std::chrono::duration<double>(duration).count(); }

std::string shapesText(const std::set<std::vector<std::int64_t>>& shapes) {
    std::string text;
    for (const auto& shape : shapes) {
        text += text.empty() ? "[" : " [";
        for (std::size_t i = 0; i < shape.size(); ++i) text += (i ? "," : "") + std::to_string(shape[i]);
        text += "]";
    }
    return text;
}

} // namespace

int main(int argc, char** argv) {
    const auto arguments = parse(argc, argv);
    if (!arguments) {
        std::cerr << "usage: " << argv[0]
                  << " [--precision fp32|fp16] [--shapes fixed|flexible] [--seconds 10,60] [--runs N] [--folder DIR]\n";
        return 2;
    }
    DownloadUtils::enforceOffline = true;
    const auto repository = parakeetbench::ensureRealSizeSet(arguments->folder, arguments->set, std::cout);

    const std::vector<std::pair<std::string, std::string>> bundles{{"preprocessor", "Preprocessor.mlmodelc"},
                                                                   {"encoder", "Encoder.mlmodelc"},
                                                                   {"decoder", "Decoder.mlmodelc"},
                                                                   {"joint", "JointDecisionv3.mlmodelc"}};
    ModelCallRecorder recorder;
    for (const auto& [label, name] : bundles) recorder.watch(repository / name, label);

    const auto loadStart = std::chrono::steady_clock::now();
    auto models = AsrModels::load(repository, std::nullopt, AsrModelVersion::v3, ParakeetEncoderPrecision::int8);
    std::printf("set %s, loaded in %.2f s\n", arguments->set.name().c_str(), seconds(std::chrono::steady_clock::now() - loadStart));
    AsrManager manager(ASRConfig::default_(), std::move(models));

    for (const int duration : arguments->seconds) {
        const auto audio = speechLike(duration);
        for (int run = 1; run <= arguments->runs; ++run) {
            recorder.reset();
            auto state = TdtDecoderState::make(manager.decoderLayerCount());
            const auto start = std::chrono::steady_clock::now();
            const auto result = manager.transcribe(std::span<const float>(audio), state);
            const auto wall = seconds(std::chrono::steady_clock::now() - start);
            const auto tokens = result.tokenTimings ? result.tokenTimings->size() : 0;
            std::printf("\n%d s audio, run %d: wall %.3f s (%.1fx real time), %zu tokens, text %016llx\n", duration,
                        run, wall, duration / wall, tokens, static_cast<unsigned long long>(fingerprint(result.text)));
            std::printf("  %-13s %6s %10s %10s  %s\n", "model", "calls", "total s", "mean ms", "input shapes");
            for (const auto& [label, name] : bundles) {
                const auto calls = recorder.calls(label);
                const auto total = seconds(calls.time);
                const auto main = label == "preprocessor" ? "audio_signal" : label == "encoder" ? "mel" : "";
                const auto shapes = calls.inputShapes.find(main);
                std::printf("  %-13s %6lld %10.3f %10.3f  %s\n", label.c_str(), static_cast<long long>(calls.count), total,
                            calls.count ? 1000.0 * total / static_cast<double>(calls.count) : 0.0,
                            shapes == calls.inputShapes.end() ? "" : shapesText(shapes->second).c_str());
            }
        }
    }
    return 0;
}
