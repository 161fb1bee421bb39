#pragma once
// A small Whisper world for the decoding tests: a tokenizer whose text ids
// decode to fixed words, and a scripted text-decoder model (run through the
// model layer) whose logits make each window's attempts emit exactly the
// tokens of a script, with chosen confidence, no-speech score and language.
//
// Ids: text 0..39 (0 is the blank " "; 1 " Hello", 2 " world", 3 ".", 4 " How",
// 5 " are", 6 " you", 7 "?", others " w<id>"), 40 end of text, 41 start of
// transcript, 42 <|en|>, 43 <|de|>, 44 <|transcribe|>, 45 <|translate|>,
// 46 <|notimestamps|>, 47 <|nospeech|>, 48 <|startofprev|>, 49 <|xx|> (a
// language token that is not a supported code), timestamps 50 (0.00 s) to
// 1550 (30.00 s).

#include "Hushframe/Core/AudioEncoding.hpp"
#include "Hushframe/Core/FeatureExtracting.hpp"
#include "Hushframe/Core/Models/WhisperTokenizer.hpp"
#include "Platform/CoreML/MLModel.hpp"
#include "Platform/CoreML/ScriptedModelBackend.hpp"

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace hushframe::testing {

inline constexpr int vocabularySize = 1551;
inline constexpr int endToken = 40;
inline constexpr int sot = 41;
inline constexpr int en = 42;
inline constexpr int de = 43;
inline constexpr int transcribe = 44;
inline constexpr int noTimestamps = 46;
inline constexpr int noSpeech = 47;
inline constexpr int unsupportedLanguage = 49;
inline constexpr int T = 50;

class ScriptTokenizer : public WhisperTokenizer {
public:
    ScriptTokenizer();
    std::vector<int> encode(std::string_view text) const override;
    std::string decode(std::span<const int> tokens) const override;
    std::optional<int> convertTokenToId(std::string_view token) const override;
    std::optional<std::string> convertIdToToken(int id) const override;
    const SpecialTokens& specialTokens() const override { return special_; }
    const std::set<int>& allLanguageTokens() const override { return languages_; }
    WordTokens splitToWordTokens(std::span<const int> tokenIds) const override;

private:
    SpecialTokens special_;
    std::set<int> languages_;
};

// One sampled token: made the unique best score (`logit` against -10 for
// every other id) unless `ties` further text ids share its score.
struct Step {
    int token = 0;
    float logit = 20;
    int ties = 0;
};

// What one decoding attempt of one window emits after the prompt; the end
// token follows the last step.
struct Attempt {
    std::vector<Step> steps;
    float noSpeechLogit = -10;
    int language = en;
    // Further ids sharing the language token's score at the start position.
    int languageTies = 0;
};

// Attempts per window, the window named by the encoder marker (its start in
// whole seconds). An attempt starts at every pass at cache position 0.
using WindowScripts = std::map<int, std::vector<Attempt>>;

struct DecoderShape {
    std::int64_t embedDim = 4;
    std::int64_t cacheLength = 224;
    std::int64_t encoderFrames = 8;
    bool alignment = true;
};

class ScriptedDecoderModel {
public:
    explicit ScriptedDecoderModel(WindowScripts scripts, DecoderShape shape = {});
    platform::coreml::MLModel model() const { return platform::coreml::MLModel(backend_); }
    const platform::coreml::ScriptedModelBackend& backend() const { return *backend_; }

private:
    platform::coreml::ScriptedModelBackend::Outputs reply(const platform::coreml::MLFeatureProvider& inputs);

    WindowScripts scripts_;
    DecoderShape shape_;
    std::mutex mutex_;
    std::map<int, int> attempts_;
    std::map<int, int> promptLength_;
    std::shared_ptr<platform::coreml::ScriptedModelBackend> backend_;
};

// Mel stage: one value, the window's first sample. Encoder: [1, 2, 1, frames]
// half floats whose first element is that value (the window marker).
class MarkerFeatureExtractor : public FeatureExtracting {
public:
    std::optional<int> windowSamples() const override { return 480000; }
    std::optional<FeatureExtractorOutputType> logMelSpectrogram(const AudioProcessorOutputType& fromAudio) override;
};

class MarkerAudioEncoder : public AudioEncoding {
public:
    explicit MarkerAudioEncoder(std::int64_t frames = 8) : frames_(frames) {}
    std::optional<int> embedSize() const override { return 2; }
    std::optional<AudioEncoderOutputType> encodeFeatures(const FeatureExtractorOutputType& features) override;

private:
    std::int64_t frames_;
};

// Samples whose value is the second they belong to, so a window's first
// sample names its start.
std::vector<float> secondMarkedAudio(std::int64_t seconds);

} // namespace hushframe::testing
