// Loading, prewarming and unloading the three models, and the tokenizer.

#include "Hushframe/Core/Hushframe.hpp"

#include "Hushframe/Core/Models/ModelUtilities.hpp"
#include "Hushframe/Core/Models/WhisperMLModel.hpp"
#include "Hushframe/Core/Models/WhisperTokenizerWrapper.hpp"
#include "Hushframe/Core/WhisperError.hpp"
#include "PelluxCore/AutoTokenizerWrapper.hpp"
#include "PelluxCore/HubWrapper.hpp"
#include "PelluxCore/ModelUtilities.hpp"

#include <chrono>
#include <cstdio>

namespace hushframe {

namespace fs = std::filesystem;
using pelluxcore::HubApiWrapper;
using pelluxcore::Logging;
using pelluxcore::ModelState;

namespace {

constexpr int englishOnlyVocabularySize = 51864;

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

std::string twoDecimals(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.2f", value);
    return text;
}

// The tokenizer hub of the pipeline: the package's hub client, building the
// tokenizer from a strict read of the repository's files.
class HubClientTokenizerSource final : public TokenizerHub {
public:
    explicit HubClientTokenizerSource(const HubApiWrapper& hub) : hub_(hub) {}

    fs::path localRepoLocation(const std::string& repoId) const override {
        return hub_.localRepoLocation(HubApiWrapper::Repo{repoId, HubApiWrapper::RepoType::models});
    }

    std::shared_ptr<const modelhubkit::Tokenizer> fromPretrained(const std::string& repoId) const override {
        return pelluxcore::AutoTokenizerWrapper::from(repoId, hub_, true).impl;
    }

private:
    const HubApiWrapper& hub_;
};

} // namespace

void Hushframe::prewarmModels() { loadModels(true); }

void Hushframe::loadModels(bool prewarmMode) {
    setModelState(prewarmMode ? ModelState::prewarming : ModelState::loading);
    try {
        loadModelFiles(prewarmMode);
    } catch (...) {
        // Half-loaded models are of no use; the state must not claim a load in progress.
        releaseModels();
        setModelState(ModelState::unloaded);
        throw;
    }
}

void Hushframe::loadModelFiles(bool prewarmMode) {
    const auto start = Clock::now();
    if (!modelFolder()) throw WhisperError::modelsUnavailable("Model folder is not set.");
    const fs::path folder = *modelFolder();
    Logging::debug("Loading models from " + folder.string() + " with prewarmMode: " + (prewarmMode ? "true" : "false"));

    const fs::path melURL = pelluxcore::ModelUtilities::detectModelURL(folder, "MelSpectrogram");
    const fs::path encoderURL = pelluxcore::ModelUtilities::detectModelURL(folder, "AudioEncoder");
    const fs::path decoderURL = pelluxcore::ModelUtilities::detectModelURL(folder, "TextDecoder");
    for (const auto& url : {melURL, encoderURL, decoderURL}) {
        std::error_code error;
        if (!fs::exists(url, error)) throw WhisperError::modelsUnavailable("Model file not found at " + url.string());
    }

    const ModelComputeOptions compute = modelCompute();
    if (auto* mel = dynamic_cast<WhisperMLModel*>(featureExtractor().get())) {
        Logging::debug("Loading feature extractor");
        mel->loadModel(melURL, compute.melCompute, prewarmMode);
        Logging::debug("Loaded feature extractor");
    }
    if (auto* decoder = dynamic_cast<WhisperMLModel*>(textDecoder().get())) {
        Logging::debug("Loading text decoder");
        const auto decoderStart = Clock::now();
        decoder->loadModel(decoderURL, compute.textDecoderCompute, prewarmMode);
        const double elapsed = secondsSince(decoderStart);
        modifyCurrentTimings([&](TranscriptionTimings& timings) {
            (prewarmMode ? timings.decoderSpecializationTime : timings.decoderLoadTime) = elapsed;
        });
        Logging::debug("Loaded text decoder in " + twoDecimals(elapsed) + "s");
    }
    if (auto* encoder = dynamic_cast<WhisperMLModel*>(audioEncoder().get())) {
        Logging::debug("Loading audio encoder");
        const auto encoderStart = Clock::now();
        encoder->loadModel(encoderURL, compute.audioEncoderCompute, prewarmMode);
        const double elapsed = secondsSince(encoderStart);
        modifyCurrentTimings([&](TranscriptionTimings& timings) {
            (prewarmMode ? timings.encoderSpecializationTime : timings.encoderLoadTime) = elapsed;
        });
        Logging::debug("Loaded audio encoder in " + twoDecimals(elapsed) + "s");
    }

    if (prewarmMode) {
        setModelState(ModelState::prewarmed);
        const double elapsed = secondsSince(start);
        modifyCurrentTimings([&](TranscriptionTimings& timings) { timings.prewarmLoadTime = elapsed; });
        return;
    }

    loadTokenizerIfNeeded();
    setModelState(ModelState::loaded);
    double modelLoading = 0;
    modifyCurrentTimings([&](TranscriptionTimings& timings) {
        timings.modelLoading = secondsSince(start) + timings.prewarmLoadTime;
        modelLoading = timings.modelLoading;
    });
    Logging::info("Loaded models for whisper size: " + std::string(description(modelVariant())) + " in " +
                  twoDecimals(modelLoading) + "s");
}

void Hushframe::loadTokenizerIfNeeded() {
    if (tokenizer() && !tokenizerIsStale_) {
        Logging::debug("Tokenizer already exists on Hushframe, skipping load");
        return;
    }
    const auto logitsDim = textDecoder()->logitsSize();
    const auto encoderDim = audioEncoder()->embedSize();
    if (!logitsDim || !encoderDim) throw WhisperError::tokenizerUnavailable("Tokenizer is unavailable");

    textDecoder()->setIsModelMultilingual(*logitsDim != englishOnlyVocabularySize);
    const ModelVariant variant = ModelUtilities::detectVariant(*logitsDim, *encoderDim);
    setModelVariant(variant);
    Logging::debug("Loading tokenizer for " + std::string(description(variant)));
    const auto start = Clock::now();

    const HubApiWrapper hub(tokenizerFolder(), std::nullopt, std::nullopt, useBackgroundDownloadSession(),
                            hubServices());
    std::vector<fs::path> modelFolders;
    if (modelFolder()) {
        const HubApiWrapper modelHub(modelFolder(), std::nullopt, std::nullopt, false, hubServices());
        const HubApiWrapper::Repo repo{ModelUtilities::tokenizerNameForVariant(variant),
                                       HubApiWrapper::RepoType::models};
        modelFolders = {*modelFolder(), modelHub.localRepoLocation(repo)};
    }
    std::shared_ptr<WhisperTokenizer> loaded =
        ModelUtilities::loadTokenizer(variant, tokenizerFolder(), modelFolders, HubClientTokenizerSource(hub));

    const double elapsed = secondsSince(start);
    modifyCurrentTimings([&](TranscriptionTimings& timings) { timings.tokenizerLoadTime = elapsed; });
    setTokenizer(std::move(loaded));
    tokenizerLoadedHere_ = true;
    Logging::debug("Loaded tokenizer in " + twoDecimals(elapsed) + "s");
}

void Hushframe::releaseModels() {
    if (auto* mel = dynamic_cast<WhisperMLModel*>(featureExtractor().get())) mel->unloadModel();
    if (auto* encoder = dynamic_cast<WhisperMLModel*>(audioEncoder().get())) encoder->unloadModel();
    if (auto* decoder = dynamic_cast<WhisperMLModel*>(textDecoder().get())) decoder->unloadModel();
}

void Hushframe::unloadModels() {
    setModelState(ModelState::unloading);
    releaseModels();
    // A tokenizer fetched for these models is fetched again with the next ones.
    if (tokenizerLoadedHere_) tokenizerIsStale_ = true;
    setModelState(ModelState::unloaded);
    Logging::info("Unloaded all models");
}

} // namespace hushframe
