#include "tests/Hushframe/Decoding/ScriptedWhisper.hpp"

#include <cmath>
#include <cstdio>
#include <stdexcept>

namespace hushframe::testing {

using platform::coreml::MLFeatureDescription;
using platform::coreml::MLFeatureProvider;
using platform::coreml::MLFeatureValue;
using platform::coreml::MLModelDescription;
using platform::coreml::MLMultiArray;
using platform::coreml::MLMultiArrayDataType;
using platform::coreml::ScriptedModelBackend;

namespace {

const std::map<int, std::string>& words() {
    static const std::map<int, std::string> table{{0, " "},     {1, " Hello"}, {2, " world"}, {3, "."},
                                                  {4, " How"},  {5, " are"},   {6, " you"},   {7, "?"}};
    return table;
}

const std::map<int, std::string>& specials() {
    static const std::map<int, std::string> table{
        {40, "<|endoftext|>"},   {41, "<|startoftranscript|>"}, {42, "<|en|>"},          {43, "<|de|>"},
        {44, "<|transcribe|>"},  {45, "<|translate|>"},         {46, "<|notimestamps|>"}, {47, "<|nospeech|>"},
        {48, "<|startofprev|>"}, {49, "<|xx|>"}};
    return table;
}

std::int64_t scalar(const MLFeatureProvider& inputs, const std::string& name) {
    return static_cast<std::int64_t>(inputs.featureValue(name)->multiArrayValue()->operator[](0).doubleValue());
}

} // namespace

ScriptTokenizer::ScriptTokenizer() : languages_{en, de, unsupportedLanguage} {
    special_ = SpecialTokens{.endToken = endToken,
                             .englishToken = en,
                             .noSpeechToken = noSpeech,
                             .noTimestampsToken = noTimestamps,
                             .specialTokenBegin = 40,
                             .startOfPreviousToken = 48,
                             .startOfTranscriptToken = sot,
                             .timeTokenBegin = T,
                             .transcribeToken = transcribe,
                             .translateToken = 45,
                             .whitespaceToken = 0};
}

std::vector<int> ScriptTokenizer::encode(std::string_view) const { return {}; }

std::optional<std::string> ScriptTokenizer::convertIdToToken(int id) const {
    if (id < 0 || id >= vocabularySize) return std::nullopt;
    if (const auto special = specials().find(id); special != specials().end()) return special->second;
    if (id >= T) {
        char text[32];
        std::snprintf(text, sizeof text, "<|%.2f|>", (id - T) * 0.02);
        return std::string(text);
    }
    if (const auto word = words().find(id); word != words().end()) return word->second;
    return " w" + std::to_string(id);
}

std::string ScriptTokenizer::decode(std::span<const int> tokens) const {
    std::string text;
    for (const int token : tokens) text += convertIdToToken(token).value_or("");
    return text;
}

std::optional<int> ScriptTokenizer::convertTokenToId(std::string_view token) const {
    for (const auto& [id, text] : specials()) {
        if (text == token) return id;
    }
    return std::nullopt;
}

WordTokens ScriptTokenizer::splitToWordTokens(std::span<const int> tokenIds) const {
    WordTokens result;
    for (const int token : tokenIds) {
        const std::string text = decode(std::span(&token, 1));
        const bool startsWord = token >= 40 || text.starts_with(" ") || result.words.empty();
        if (startsWord) {
            result.words.push_back(text);
            result.wordTokens.push_back({token});
        } else {
            result.words.back() += text;
            result.wordTokens.back().push_back(token);
        }
    }
    return result;
}

ScriptedDecoderModel::ScriptedDecoderModel(WindowScripts scripts, DecoderShape shape)
    : scripts_(std::move(scripts)), shape_(shape) {
    const auto e = shape.embedDim;
    const auto s = shape.cacheLength;
    const auto w = shape.encoderFrames;
    std::vector<MLFeatureDescription> outputs{
        MLFeatureDescription::multiArray("logits", {1, 1, vocabularySize}, MLMultiArrayDataType::float32),
        MLFeatureDescription::multiArray("key_cache_updates", {1, e, 1, 1}, MLMultiArrayDataType::float16),
        MLFeatureDescription::multiArray("value_cache_updates", {1, e, 1, 1}, MLMultiArrayDataType::float16)};
    if (shape.alignment) {
        outputs.push_back(MLFeatureDescription::multiArray("alignment_heads_weights", {1, w}, MLMultiArrayDataType::float16));
    }
    const auto description = MLModelDescription::make(
        {MLFeatureDescription::multiArray("input_ids", {1}, MLMultiArrayDataType::int32),
         MLFeatureDescription::multiArray("cache_length", {1}, MLMultiArrayDataType::int32),
         MLFeatureDescription::multiArray("key_cache", {1, e, 1, s}, MLMultiArrayDataType::float16),
         MLFeatureDescription::multiArray("value_cache", {1, e, 1, s}, MLMultiArrayDataType::float16),
         MLFeatureDescription::multiArray("kv_cache_update_mask", {1, s}, MLMultiArrayDataType::int32),
         MLFeatureDescription::multiArray("encoder_output_embeds", {1, 2, 1, w}, MLMultiArrayDataType::float16),
         MLFeatureDescription::multiArray("decoder_key_padding_mask", {1, s}, MLMultiArrayDataType::float16)},
        outputs);
    backend_ = std::make_shared<ScriptedModelBackend>(
        description, [this](const MLFeatureProvider& inputs, platform::coreml::MLState*) { return reply(inputs); });
}

ScriptedModelBackend::Outputs ScriptedDecoderModel::reply(const MLFeatureProvider& inputs) {
    const std::lock_guard lock(mutex_);
    const std::int64_t position = scalar(inputs, "cache_length");
    const auto input = static_cast<int>(scalar(inputs, "input_ids"));
    const auto window = static_cast<int>(std::lround(scalar(inputs, "encoder_output_embeds")));
    const auto& attempts = scripts_.at(window);

    if (position == 0) promptLength_.erase(window);
    const bool promptEnds = !promptLength_.contains(window) && (input >= T || input == noTimestamps);
    if (promptEnds) promptLength_[window] = static_cast<int>(position);
    int& attemptCount = attempts_[window];
    if (promptEnds) ++attemptCount;
    const int attemptIndex = std::min<int>(std::max(attemptCount - (promptLength_.contains(window) ? 1 : 0), 0),
                                           static_cast<int>(attempts.size()) - 1);
    const Attempt& attempt = attempts.at(static_cast<std::size_t>(attemptIndex));

    MLMultiArray logits({1, 1, vocabularySize}, MLMultiArrayDataType::float32, -10.0);
    if (!promptLength_.contains(window)) {
        for (int k = 0; k <= attempt.languageTies; ++k) logits[attempt.language + k] = 4.0;
        logits[noSpeech] = attempt.noSpeechLogit;
    } else {
        const auto step = static_cast<std::size_t>(position - promptLength_.at(window));
        if (step < attempt.steps.size()) {
            const Step& chosen = attempt.steps[step];
            for (int k = 0; k <= chosen.ties; ++k) logits[chosen.token + k] = chosen.logit;
        } else {
            logits[endToken] = 20.0;
        }
    }
    MLMultiArray keys({1, shape_.embedDim, 1, 1}, MLMultiArrayDataType::float16, static_cast<double>(position));
    MLMultiArray values({1, shape_.embedDim, 1, 1}, MLMultiArrayDataType::float16, -static_cast<double>(position));
    ScriptedModelBackend::Outputs outputs{
        {"logits", MLFeatureValue(logits)}, {"key_cache_updates", MLFeatureValue(keys)}, {"value_cache_updates", MLFeatureValue(values)}};
    if (shape_.alignment) {
        MLMultiArray row({1, shape_.encoderFrames}, MLMultiArrayDataType::float16, 0.0);
        row[std::min<std::int64_t>(position, shape_.encoderFrames - 1)] = 1.0;
        outputs["alignment_heads_weights"] = MLFeatureValue(row);
    }
    return outputs;
}

std::optional<FeatureExtractorOutputType> MarkerFeatureExtractor::logMelSpectrogram(const AudioProcessorOutputType& fromAudio) {
    MLMultiArray features({1}, MLMultiArrayDataType::float32, fromAudio[0].doubleValue());
    return features;
}

std::optional<AudioEncoderOutputType> MarkerAudioEncoder::encodeFeatures(const FeatureExtractorOutputType& features) {
    MLMultiArray embeds({1, 2, 1, frames_}, MLMultiArrayDataType::float16, 0.0);
    embeds[0] = features[0].doubleValue();
    return embeds;
}

std::vector<float> secondMarkedAudio(std::int64_t seconds) {
    std::vector<float> samples(static_cast<std::size_t>(seconds * 16000));
    for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<float>(i / 16000);
    return samples;
}

} // namespace hushframe::testing
