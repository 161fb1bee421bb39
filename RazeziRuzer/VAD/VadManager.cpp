#include "RazeziRuzer/VAD/VadManager.hpp"

#include "RazeziRuzer/DownloadUtils.hpp"
#include "RazeziRuzer/ModelNamesDiarization.hpp"
#include "RazeziRuzer/Shared/MLModelConfigurationUtils.hpp"
#include "RazeziRuzer/VAD/VadError.hpp"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

namespace razeziruzer {
namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

std::string formatSeconds(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", seconds);
    return text;
}

// Exactly chunkSize samples: cut, or extended by repeating the edge sample.
std::vector<float> normalisedChunk(std::span<const float> chunk) {
    const auto size = VadManager::chunkSize;
    std::vector<float> result(chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(std::min(chunk.size(), size)));
    const float edge = chunk.empty() ? 0.0f : chunk[result.size() - 1];
    result.resize(size, edge);
    return result;
}

} // namespace

VadManager::VadManager(VadConfig config, platform::coreml::MLModel vadModel)
    : config_(config), vadModel_(std::move(vadModel)) {
    logger_.info("VAD initialized with provided model");
}

VadManager::VadManager(VadConfig config) : config_(config) {}

std::unique_ptr<VadManager> VadManager::load(VadConfig config, std::optional<std::filesystem::path> modelDirectory,
                                             const DownloadUtils::ProgressHandler& progressHandler) {
    const auto started = Clock::now();
    auto manager = std::make_unique<VadManager>(config);
    const auto modelsDirectory = modelDirectory ? *modelDirectory / "Models"
                                                : MLModelConfigurationUtils::defaultModelsDirectory();
    // The loader logs the host summary once per process.
    const std::string name(ModelNames::VAD::sileroVadFile);
    auto models = DownloadUtils::loadModels(Repo::vad, {name}, modelsDirectory, config.computeUnits, std::nullopt,
                                            progressHandler);
    const auto found = models.find(name);
    if (found == models.end()) {
        manager->logger_.error("Failed to load VAD model from downloaded models");
        throw VadError::modelLoadingFailed();
    }
    manager->vadModel_ = std::move(found->second);
    manager->logger_.info("VAD model loaded successfully");
    manager->logger_.info("VAD system initialized in " + formatSeconds(secondsSince(started)) + "s");
    return manager;
}

std::vector<VadResult> VadManager::process(const std::filesystem::path& audioFile) {
    return processAudioSamples(audioConverter_.resampleAudioFile(audioFile));
}

std::vector<VadResult> VadManager::process(const platform::audio::PCMBuffer& buffer) {
    return processAudioSamples(audioConverter_.resampleBuffer(buffer));
}

std::vector<VadResult> VadManager::process(std::span<const float> samples) { return processAudioSamples(samples); }

std::vector<VadResult> VadManager::processAudioSamples(std::span<const float> samples) {
    std::vector<VadResult> results;
    auto state = VadState::initial();
    for (std::size_t offset = 0; offset < samples.size(); offset += chunkSize) {
        const auto count = std::min(chunkSize, samples.size() - offset);
        results.push_back(processChunk(samples.subspan(offset, count), state));
        state = results.back().outputState;
    }
    return results;
}

VadResult VadManager::processChunk(std::span<const float> chunk, const std::optional<VadState>& inputState) {
    if (!vadModel_) throw VadError::notInitialized();
    const auto started = Clock::now();
    const auto state = inputState.value_or(VadState::initial());
    const auto samples = normalisedChunk(chunk);
    std::vector<float> context(samples.end() - VadState::contextLength, samples.end());
    auto output = runModel(samples, state);
    VadResult result;
    result.probability = output.probability;
    result.isVoiceActive = output.probability >= config_.defaultThreshold;
    result.processingTime = secondsSince(started);
    result.outputState = {std::move(output.hiddenState), std::move(output.cellState), std::move(context)};
    return result;
}

} // namespace razeziruzer
