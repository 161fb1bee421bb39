#include "Hushframe/Core/Hushframe.hpp"

#include "Hushframe/Core/DefaultComponents.hpp"
#include "Hushframe/Core/Models/Constants.hpp"
#include "PelluxCore/ProcessInfo.hpp"

namespace hushframe {

using pelluxcore::Logging;
using pelluxcore::ModelState;

Hushframe::Hushframe(ConstructionKey, const HushframeConfig& config, modelhubkit::HubApi::Services hubServices)
    : modelCompute_(config.computeOptions.value_or(ModelComputeOptions())),
      audioInputConfig_(config.audioInputConfig ? *config.audioInputConfig : AudioInputConfig{}),
      audioProcessor_(config.audioProcessor ? config.audioProcessor : DefaultComponents::audioProcessor()),
      featureExtractor_(config.featureExtractor ? config.featureExtractor : DefaultComponents::featureExtractor()),
      audioEncoder_(config.audioEncoder ? config.audioEncoder : DefaultComponents::audioEncoder()),
      textDecoder_(config.textDecoder ? config.textDecoder : DefaultComponents::textDecoder()),
      segmentSeeker_(config.segmentSeeker ? config.segmentSeeker : DefaultComponents::segmentSeeker()),
      voiceActivityDetector_(config.voiceActivityDetector),
      tokenizerFolder_(config.tokenizerFolder ? config.tokenizerFolder : config.downloadBase),
      useBackgroundDownloadSession_(config.useBackgroundDownloadSession),
      hubServices_(std::move(hubServices)) {
    if (config.logitsFilters) textDecoder_->setLogitsFilters(*config.logitsFilters);
    Logging::updateLogLevel(config.verbose ? config.logLevel : Logging::LogLevel::none);
}

Hushframe::~Hushframe() {
    if (audioProcessor_) audioProcessor_->stopRecording();
}

void Hushframe::setUp(const HushframeConfig& config) {
    setupModels(config.model, config.downloadBase, config.modelRepo, config.modelToken, config.modelFolder,
                config.download, std::string(Constants::defaultRemoteConfigName),
                config.modelEndpoint.value_or(std::string(Constants::defaultRemoteEndpoint)));
    if (config.prewarm.value_or(false)) {
        Logging::info("Prewarming models...");
        prewarmModels();
    }
    // The configuration's folder decides, not one obtained by download.
    if (config.load.value_or(config.modelFolder.has_value())) {
        Logging::info("Loading models...");
        loadModels(false);
    }
}

void Hushframe::setTokenizer(std::shared_ptr<WhisperTokenizer> tokenizer) {
    tokenizer_ = tokenizer;
    tokenizerLoadedHere_ = false;
    tokenizerIsStale_ = false;
    textDecoder_->setTokenizer(std::move(tokenizer));
}

void Hushframe::setModelFolder(std::optional<std::filesystem::path> folder) {
    if (folder != modelFolder_ && tokenizerLoadedHere_) tokenizerIsStale_ = true;
    modelFolder_ = std::move(folder);
}

TranscriptionTimings Hushframe::currentTimings() const {
    std::lock_guard lock(runStateMutex_);
    return currentTimings_;
}

void Hushframe::modifyCurrentTimings(const std::function<void(TranscriptionTimings&)>& change) {
    std::lock_guard lock(runStateMutex_);
    change(currentTimings_);
}

std::shared_ptr<Progress> Hushframe::progress() const {
    std::lock_guard lock(runStateMutex_);
    return progress_;
}

void Hushframe::replaceProgress() {
    std::lock_guard lock(runStateMutex_);
    progress_ = std::make_shared<Progress>();
}

void Hushframe::replaceFinishedProgress() {
    std::lock_guard lock(runStateMutex_);
    if (progress_->isFinished()) progress_ = std::make_shared<Progress>();
}

void Hushframe::setModelState(ModelState state) {
    const ModelState old = modelState_;
    modelState_ = state;
    if (modelStateCallback_) modelStateCallback_(old, state);
}

void Hushframe::clearState() {
    audioProcessor_->stopRecording();
    modifyCurrentTimings([](TranscriptionTimings& timings) { timings = TranscriptionTimings{}; });
}

void Hushframe::loggingCallback(std::optional<Logging::LoggingCallback> callback) {
    Logging::updateCallback(std::move(callback));
}

std::string Hushframe::deviceName() { return pelluxcore::ProcessInfo::hwModel(); }

} // namespace hushframe
