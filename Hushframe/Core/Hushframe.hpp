#pragma once
// The Whisper pipeline's entry object: it owns the components of a run, finds
// or downloads the model folder, prewarms, loads and unloads the three models
// and the tokenizer, keeps the model state with its change callback, and
// transcribes recordings. Build it with create(); every operation is
// overridable, and the construction sequence calls setupModels, prewarmModels
// and loadModels through the overrides. Overlapping calls on one instance are
// the caller's to avoid.

#include "Hushframe/Core/AudioEncoding.hpp"
#include "Hushframe/Core/AudioInputConfig.hpp"
#include "Hushframe/Core/AudioProcessing.hpp"
#include "Hushframe/Core/Configurations/DecodingOptions.hpp"
#include "Hushframe/Core/Configurations/HushframeConfig.hpp"
#include "Hushframe/Core/FeatureExtracting.hpp"
#include "Hushframe/Core/Models/ModelComputeOptions.hpp"
#include "Hushframe/Core/Models/ModelSupportConfig.hpp"
#include "Hushframe/Core/Models/ModelVariant.hpp"
#include "Hushframe/Core/Models/TranscriptionOutcome.hpp"
#include "Hushframe/Core/Models/TranscriptionProgress.hpp"
#include "Hushframe/Core/Models/TranscriptionState.hpp"
#include "Hushframe/Core/Models/TranscriptionTimings.hpp"
#include "Hushframe/Core/Models/WhisperTokenizer.hpp"
#include "Hushframe/Core/Progress.hpp"
#include "Hushframe/Core/SegmentSeeking.hpp"
#include "Hushframe/Core/TextDecoding.hpp"
#include "Hushframe/Core/TranscribeTask.hpp"
#include "Hushframe/Core/VoiceActivityDetector.hpp"
#include "PelluxCore/Logging.hpp"
#include "PelluxCore/ModelHubKit/Hub/HubApi.hpp"
#include "PelluxCore/ModelHubKit/Hub/Progress.hpp"
#include "PelluxCore/ModelState.hpp"

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace hushframe {

// The spoken language of a recording and the (log) probability of each
// language code the decoder reported.
struct DetectedLanguage {
    std::string language;
    std::map<std::string, float> langProbs;

    bool operator==(const DetectedLanguage&) const = default;
};

class Hushframe : public std::enable_shared_from_this<Hushframe> {
public:
    // Only create() makes one, so that construction can run the overridable steps.
    class ConstructionKey {
        friend class Hushframe;
        ConstructionKey() = default;
    };

    using ModelStateCallback =
        std::function<void(std::optional<pelluxcore::ModelState> oldState, pelluxcore::ModelState newState)>;
    using TranscriptionStateCallback = std::function<void(TranscriptionState state)>;
    using DownloadProgressCallback = std::function<void(const modelhubkit::Progress& progress)>;

    static constexpr int sampleRate = 16000;
    static constexpr int hopLength = 160;
    static constexpr float secondsPerTimeToken = 0.02f;
    static constexpr bool isRunningOnSimulator = false;

    // Builds the instance, then resolves the model folder, prewarms and loads
    // as the configuration asks. `hubServices` is the transport and network
    // monitor of every hub client the instance makes (the shared ones when empty).
    template <class T = Hushframe, class... Args>
    static std::shared_ptr<T> create(const HushframeConfig& config, Args&&... args) {
        auto instance = std::make_shared<T>(ConstructionKey{}, config, std::forward<Args>(args)...);
        instance->setUp(config);
        return instance;
    }

    Hushframe(ConstructionKey, const HushframeConfig& config, modelhubkit::HubApi::Services hubServices = {});
    virtual ~Hushframe();
    Hushframe(const Hushframe&) = delete;
    Hushframe& operator=(const Hushframe&) = delete;

    // Components and state.
    virtual ModelVariant modelVariant() const { return modelVariant_; }
    virtual pelluxcore::ModelState modelState() const { return modelState_; }
    virtual const ModelComputeOptions& modelCompute() const { return modelCompute_; }
    virtual void setModelCompute(ModelComputeOptions options) { modelCompute_ = options; }
    virtual const AudioInputConfig& audioInputConfig() const { return audioInputConfig_; }
    virtual void setAudioInputConfig(AudioInputConfig config) { audioInputConfig_ = std::move(config); }
    virtual std::shared_ptr<WhisperTokenizer> tokenizer() const { return tokenizer_; }
    // Also gives the tokenizer to the text decoder.
    virtual void setTokenizer(std::shared_ptr<WhisperTokenizer> tokenizer);
    virtual std::shared_ptr<AudioProcessing> audioProcessor() const { return audioProcessor_; }
    virtual void setAudioProcessor(std::shared_ptr<AudioProcessing> processor) { audioProcessor_ = std::move(processor); }
    virtual std::shared_ptr<FeatureExtracting> featureExtractor() const { return featureExtractor_; }
    virtual void setFeatureExtractor(std::shared_ptr<FeatureExtracting> extractor) {
        featureExtractor_ = std::move(extractor);
    }
    virtual std::shared_ptr<AudioEncoding> audioEncoder() const { return audioEncoder_; }
    virtual void setAudioEncoder(std::shared_ptr<AudioEncoding> encoder) { audioEncoder_ = std::move(encoder); }
    virtual std::shared_ptr<TextDecoding> textDecoder() const { return textDecoder_; }
    virtual void setTextDecoder(std::shared_ptr<TextDecoding> decoder) { textDecoder_ = std::move(decoder); }
    virtual std::shared_ptr<SegmentSeeking> segmentSeeker() const { return segmentSeeker_; }
    virtual void setSegmentSeeker(std::shared_ptr<SegmentSeeking> seeker) { segmentSeeker_ = std::move(seeker); }
    virtual std::shared_ptr<VoiceActivityDetector> voiceActivityDetector() const { return voiceActivityDetector_; }
    virtual void setVoiceActivityDetector(std::shared_ptr<VoiceActivityDetector> detector) {
        voiceActivityDetector_ = std::move(detector);
    }
    virtual TranscriptionTimings currentTimings() const;
    virtual std::shared_ptr<Progress> progress() const;
    virtual const std::optional<std::filesystem::path>& modelFolder() const { return modelFolder_; }
    // A different folder makes the next load fetch the tokenizer again.
    virtual void setModelFolder(std::optional<std::filesystem::path> folder);
    virtual const std::optional<std::filesystem::path>& tokenizerFolder() const { return tokenizerFolder_; }
    virtual void setTokenizerFolder(std::optional<std::filesystem::path> folder) { tokenizerFolder_ = std::move(folder); }
    virtual bool useBackgroundDownloadSession() const { return useBackgroundDownloadSession_; }
    virtual const SegmentDiscoveryCallback& segmentDiscoveryCallback() const { return segmentDiscoveryCallback_; }
    virtual void setSegmentDiscoveryCallback(SegmentDiscoveryCallback callback) {
        segmentDiscoveryCallback_ = std::move(callback);
    }
    virtual const ModelStateCallback& modelStateCallback() const { return modelStateCallback_; }
    virtual void setModelStateCallback(ModelStateCallback callback) { modelStateCallback_ = std::move(callback); }
    virtual const TranscriptionStateCallback& transcriptionStateCallback() const { return transcriptionStateCallback_; }
    virtual void setTranscriptionStateCallback(TranscriptionStateCallback callback) {
        transcriptionStateCallback_ = std::move(callback);
    }

    // Model discovery and download.
    static ModelSupport recommendedModels();
    static ModelSupport recommendedRemoteModels(const std::string& from,
                                                const std::optional<std::filesystem::path>& downloadBase,
                                                const std::optional<std::string>& token,
                                                const std::string& remoteConfigName, const std::string& endpoint,
                                                const modelhubkit::HubApi::Services& hubServices = {});
    // Never fails: the built-in configuration stands in for a missing or broken one.
    static ModelSupportConfig fetchModelSupportConfig(const std::string& from,
                                                      const std::optional<std::filesystem::path>& downloadBase,
                                                      const std::optional<std::string>& token,
                                                      const std::string& remoteConfigName,
                                                      const std::string& endpoint,
                                                      const modelhubkit::HubApi::Services& hubServices = {});
    static std::vector<std::string> fetchAvailableModels(const std::string& from,
                                                         const std::vector<std::string>& matching,
                                                         const std::optional<std::filesystem::path>& downloadBase,
                                                         const std::optional<std::string>& token,
                                                         const std::string& remoteConfigName,
                                                         const std::string& endpoint,
                                                         const modelhubkit::HubApi::Services& hubServices = {});
    // The local folder of the one model build matching the variant.
    static std::filesystem::path download(const std::string& variant,
                                          const std::optional<std::filesystem::path>& downloadBase,
                                          bool useBackgroundSession, const std::string& from,
                                          const std::optional<std::string>& token, const std::string& endpoint,
                                          const DownloadProgressCallback& progressCallback = {},
                                          const modelhubkit::HubApi::Services& hubServices = {});
    virtual void setupModels(const std::optional<std::string>& model,
                             const std::optional<std::filesystem::path>& downloadBase,
                             const std::optional<std::string>& modelRepo, const std::optional<std::string>& modelToken,
                             const std::optional<std::string>& modelFolder, bool download,
                             const std::string& remoteConfigName, const std::string& endpoint);

    // Loading. A failed load releases what it loaded and ends `unloaded`.
    virtual void prewarmModels();
    virtual void loadModels(bool prewarmMode);
    virtual void loadTokenizerIfNeeded();
    virtual void unloadModels();

    virtual void clearState();
    // Installs the package-wide log callback (not per instance).
    virtual void loggingCallback(std::optional<pelluxcore::Logging::LoggingCallback> callback);
    static std::string deviceName();

    // Language detection on the first window (30 s) of the audio: loads the
    // models when they are not loaded, then runs the mel model, the encoder
    // and one language-restricted pass of the text decoder. Throws
    // WhisperError: decodingFailed "Language detection not supported for this
    // model" (English-only model), tokenizerUnavailable "Tokenizer is
    // unavailable", transcriptionFailed "Audio samples are nil" (no samples),
    // "Mel output is nil", "Encoder output is nil", and decodingFailed
    // "Language detection failed" in place of any error of the decoder's
    // detection; model-loading and decoder-input errors pass unchanged.
    // The file form reads seconds 0 to 30 with channels summed; it throws
    // loadAudioFailed "Resource path does not exist " + path, and the audio
    // layer's errors for a file it cannot read.
    virtual DetectedLanguage detectLanguage(const std::string& audioPath);
    virtual DetectedLanguage detectLangauge(const std::vector<float>& audioArray);

    // Transcription.
    // Files, loaded in parallel and transcribed as a batch; one entry per
    // path, in path order, a path that cannot be loaded getting its loading
    // error. Reports convertingAudio, transcribing and finished to the
    // transcription-state callback. Never throws.
    virtual std::vector<std::optional<TranscriptionResults>> transcribe(const std::vector<std::string>& audioPaths,
                                                                        const std::optional<DecodingOptions>& decodeOptions,
                                                                        const TranscriptionCallback& callback = {});
    virtual std::vector<TranscriptionOutcome> transcribeWithResults(const std::vector<std::string>& audioPaths,
                                                                    const std::optional<DecodingOptions>& decodeOptions,
                                                                    const TranscriptionCallback& callback = {});
    virtual std::vector<std::optional<TranscriptionResults>> transcribe(
        const std::vector<std::vector<float>>& audioArrays, const std::optional<DecodingOptions>& decodeOptions,
        const TranscriptionCallback& callback = {});
    virtual std::vector<TranscriptionOutcome> transcribeWithResults(
        const std::vector<std::vector<float>>& audioArrays, const std::optional<DecodingOptions>& decodeOptions,
        const TranscriptionCallback& callback = {});
    // Never throws: one outcome per array, in array order.
    virtual std::vector<TranscriptionOutcome> transcribeWithOptions(
        const std::vector<std::vector<float>>& audioArrays,
        const std::vector<std::optional<DecodingOptions>>& decodeOptionsArray,
        const std::optional<std::vector<int>>& seekOffsets, const TranscriptionCallback& callback = {});
    // One file, read whole with the instance's channel mode. Throws the
    // loading error (after recording the loading time; the state callback
    // then saw convertingAudio only) and the transcription's errors (the state
    // callback still hears finished).
    virtual TranscriptionResults transcribe(const std::string& audioPath,
                                            const std::optional<DecodingOptions>& decodeOptions,
                                            const TranscriptionCallback& callback = {});
    // Options with the vad chunking strategy and audio longer than one window
    // cut the audio at silences and transcribe the chunks as a batch (the
    // per-call segment callback is not used then: the instance's segment
    // discovery callback hears the segments, seek shifted by the chunk's
    // offset). A chunk that fails fails the whole call with its error: a
    // transcript with a silent gap is never returned as a success.
    virtual TranscriptionResults transcribe(const std::vector<float>& audioArray,
                                            const std::optional<DecodingOptions>& decodeOptions,
                                            const TranscriptionCallback& callback = {},
                                            const SegmentDiscoveryCallback& segmentCallback = {});
    virtual std::unique_ptr<TranscribeTask> setupTranscribeTask(
        const TranscriptionTimings& currentTimings, std::shared_ptr<Progress> progress,
        std::shared_ptr<AudioProcessing> audioProcessor, std::shared_ptr<AudioEncoding> audioEncoder,
        std::shared_ptr<FeatureExtracting> featureExtractor, std::shared_ptr<SegmentSeeking> segmentSeeker,
        std::shared_ptr<TextDecoding> textDecoder, std::shared_ptr<WhisperTokenizer> tokenizer);
    virtual TranscriptionResults runTranscribeTask(const std::vector<float>& audioArray,
                                                   const std::optional<DecodingOptions>& decodeOptions,
                                                   const TranscriptionCallback& callback,
                                                   const SegmentDiscoveryCallback& segmentCallback);

protected:
    // Stores the value, then tells the state callback (old, new).
    void setModelState(pelluxcore::ModelState state);
    void setModelVariant(ModelVariant variant) { modelVariant_ = variant; }
    void modifyCurrentTimings(const std::function<void(TranscriptionTimings&)>& change);
    const modelhubkit::HubApi::Services& hubServices() const { return hubServices_; }

private:
    void setUp(const HushframeConfig& config);
    void releaseModels();
    void loadModelFiles(bool prewarmMode);
    void replaceFinishedProgress();
    void replaceProgress();
    TranscriptionResults transcribeInVoiceActivityChunks(const std::vector<float>& audioArray,
                                                         const DecodingOptions& decodeOptions, int windowSamples,
                                                         const TranscriptionCallback& callback);

    ModelVariant modelVariant_ = ModelVariant::tiny;
    pelluxcore::ModelState modelState_ = pelluxcore::ModelState::unloaded;
    ModelComputeOptions modelCompute_;
    AudioInputConfig audioInputConfig_;
    std::shared_ptr<WhisperTokenizer> tokenizer_;
    std::shared_ptr<AudioProcessing> audioProcessor_;
    std::shared_ptr<FeatureExtracting> featureExtractor_;
    std::shared_ptr<AudioEncoding> audioEncoder_;
    std::shared_ptr<TextDecoding> textDecoder_;
    std::shared_ptr<SegmentSeeking> segmentSeeker_;
    std::shared_ptr<VoiceActivityDetector> voiceActivityDetector_;
    TranscriptionTimings currentTimings_;
    std::shared_ptr<Progress> progress_ = std::make_shared<Progress>();
    std::optional<std::filesystem::path> modelFolder_;
    std::optional<std::filesystem::path> tokenizerFolder_;
    bool useBackgroundDownloadSession_ = false;
    SegmentDiscoveryCallback segmentDiscoveryCallback_;
    ModelStateCallback modelStateCallback_;
    TranscriptionStateCallback transcriptionStateCallback_;

    modelhubkit::HubApi::Services hubServices_;
    // The tokenizer was loaded here and no longer matches the models (they
    // were unloaded or their folder changed): the next load fetches it again.
    bool tokenizerIsStale_ = false;
    bool tokenizerLoadedHere_ = false;
    // Batch children touch the progress object and the timings at once.
    mutable std::mutex runStateMutex_;
};

} // namespace hushframe
