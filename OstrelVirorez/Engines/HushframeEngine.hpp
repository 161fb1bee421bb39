#pragma once
// The Whisper engine: the pipeline running the "large-v3_turbo" model on the
// device. The pipeline's configuration is fixed at load and its decoding
// options for every transcription; the pipeline fetches, prewarms and loads
// the model itself. One pipeline instance runs one transcription at a time,
// so overlapping transcriptions take turns.

#include "Hushframe/Core/Configurations/DecodingOptions.hpp"
#include "Hushframe/Core/Configurations/HushframeConfig.hpp"
#include "OstrelVirorez/Engines/TranscriptionEngine.hpp"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace platform {
class Clock;
}

namespace hushframe {
class Hushframe;
class TranscriptionResult;
}

namespace ostrelvirorez {

class HushframeEngine final : public TranscriptionEngine {
public:
    // Builds the pipeline for a configuration (construction may download,
    // prewarm and load; it throws the package's errors).
    using PipelineFactory = std::function<std::shared_ptr<hushframe::Hushframe>(const hushframe::HushframeConfig&)>;

    // Over the package's own pipeline.
    HushframeEngine();
    // `clock` times each transcription and must outlive the engine.
    HushframeEngine(PipelineFactory makePipeline, const platform::Clock& clock);
    ~HushframeEngine() override;

    const std::string& name() const override { return name_; }
    bool isLoaded() const override { return isLoaded_; }
    const std::vector<std::string>& supportedLanguages() const override { return supportedLanguages_; }

    // The pipeline's errors pass unchanged; a failed load leaves the engine as it was.
    void load() override;
    void unload() override;
    TranscriptionResult transcribe(const platform::audio::PCMBuffer& buffer,
                                   const std::optional<std::string>& languageHint) override;

    // The pipeline configuration every load uses.
    static hushframe::HushframeConfig configuration();
    // The decoding options of every transcription: the hint as the language
    // when present and not empty.
    static hushframe::DecodingOptions decodingOptions(const std::optional<std::string>& languageHint);
    // The app's result for the pipeline's records of a call that took `duration` seconds.
    static TranscriptionResult makeResult(const std::vector<std::shared_ptr<hushframe::TranscriptionResult>>& results,
                                          double duration);

private:
    double secondsNow() const;

    const std::string name_ = "Hushframe (Large v3 Turbo)";
    const std::vector<std::string> supportedLanguages_{"de", "en", "fr", "es", "it", "pt", "ja", "zh", "ko", "ru"};
    std::atomic<bool> isLoaded_ = false;
    // Guards the handle only; a transcription keeps its own reference.
    mutable std::mutex handleMutex_;
    std::shared_ptr<hushframe::Hushframe> pipe_;
    // Held across each pipeline call that uses or releases the models.
    std::mutex pipelineMutex_;
    PipelineFactory makePipeline_;
    const platform::Clock& clock_;
};

} // namespace ostrelvirorez
