#include "tests/OstrelVirorez/State/StateTestSupport.hpp"

#include "OstrelVirorez/Engines/EngineError.hpp"
#include "tests/OstrelVirorez/State/StateFakes.hpp"

namespace ostrelvirorez::testing {

platform::audio::PCMBuffer makeRecording(std::uint32_t frames) {
    auto buffer = platform::audio::PCMBuffer::make(*platform::audio::AudioFormat::standard(16000, 1), frames);
    buffer->setFrameLength(frames);
    return std::move(*buffer);
}

namespace {

class ScriptedEngine final : public TranscriptionEngine {
public:
    ScriptedEngine(EngineType type, std::shared_ptr<EngineScript> script)
        : type_(type), name_(std::string(rawValue(type))), script_(std::move(script)) {}

    const std::string& name() const override { return name_; }
    bool isLoaded() const override { return loaded_; }
    const std::vector<std::string>& supportedLanguages() const override { return languages_; }
    void load() override {
        if (script_->failToLoad.contains(type_)) throw EngineError::modelLoadFailed(script_->loadFailure.value_or(name_ + " cannot load here"));
        loaded_ = true;
    }
    void unload() override { loaded_ = false; }
    TranscriptionResult transcribe(const platform::audio::PCMBuffer& recording,
                                   const std::optional<std::string>& languageHint) override {
        script_->transcribedBy.push_back(type_);
        script_->recordings.push_back(recording);
        script_->hints.push_back(languageHint);
        if (script_->transcriptionFailure) throw EngineError::transcriptionFailed(*script_->transcriptionFailure);
        const auto& answers = script_->answers;
        const std::string text = answers[std::min(script_->next++, answers.size() - 1)];
        return TranscriptionResult{text, std::nullopt, std::nullopt, 0.25, std::nullopt};
    }

private:
    EngineType type_;
    std::string name_;
    std::shared_ptr<EngineScript> script_;
    std::vector<std::string> languages_{"de", "en"};
    bool loaded_ = false;
};

} // namespace

EngineFactory scriptedEngineFactory(std::shared_ptr<EngineScript> script) {
    return [script](EngineType type) { return std::make_shared<ScriptedEngine>(type, script); };
}

bool TestExecutor::runNext() {
    if (pending_.empty()) return false;
    auto task = std::move(pending_.front());
    pending_.pop_front();
    task();
    return true;
}

} // namespace ostrelvirorez::testing
