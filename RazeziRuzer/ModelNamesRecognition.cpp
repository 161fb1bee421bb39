#include "RazeziRuzer/ModelNamesRecognition.hpp"

namespace razeziruzer::ModelNames {

namespace {
bool startsWith(std::optional<std::string_view> text, std::string_view prefix) {
    return text && text->starts_with(prefix);
}
bool endsWith(std::optional<std::string_view> text, std::string_view suffix) {
    return text && text->ends_with(suffix);
}
} // namespace

std::string_view ASR::vocabulary(Repo) {
    return vocabularyFile;
}

const ModelNameSet& ASR::requiredModels() {
    static const auto names = makeModelNameSet({preprocessorFile, encoderFile, decoderFile, jointFile});
    return names;
}

const ModelNameSet& ASR::requiredModelsFused() {
    static const auto names = makeModelNameSet({preprocessorFile, decoderFile, jointFile});
    return names;
}

ModelNameSet ASR::requiredModelsV3(ParakeetEncoderPrecision precision) {
    return makeModelNameSet({preprocessorFile, encoderFileName(precision), decoderFile, jointV3File});
}

const ModelNameSet& CTC::requiredModels() {
    static const auto names = makeModelNameSet({melSpectrogramPath, audioEncoderPath});
    return names;
}

const ModelNameSet& TDTJa::requiredModels() {
    static const auto names = makeModelNameSet({preprocessorFile, encoderFile, decoderFile, jointFile});
    return names;
}

const ModelNameSet& SenseVoice::requiredModels() {
    static const auto names = makeModelNameSet({preprocessorFile, encoderFile});
    return names;
}

ModelNameSet SenseVoice::requiredModels(std::optional<std::string_view> precision) {
    auto encoderChoice = encoderFile;
    if (precision == "int8") encoderChoice = encoderInt8File;
    if (precision == "fp32") encoderChoice = encoderFp32File;
    return makeModelNameSet({preprocessorFile, encoderChoice});
}

const ModelNameSet& ParaformerZh::requiredModels() {
    static const auto names = makeModelNameSet(
        {preprocessorFile, encoderFile, encoderInt8File, cifAlphasFile, decoderFile, decoderInt8File});
    return names;
}

const ModelNameSet& ParakeetEOU::requiredModels() {
    static const auto names = makeModelNameSet({encoderFile, decoderFile, jointFile, vocab});
    return names;
}

const ModelNameSet& NemotronStreaming::requiredModels() {
    static const auto names = makeModelNameSet(
        {preprocessorFile, encoderInt8File, decoderFile, jointFile, decoderJointFile, tokenizer, metadata});
    return names;
}

std::string_view ParakeetUnified::streamingEncoderFile(UnifiedEncoderPrecision precision) {
    return precision == UnifiedEncoderPrecision::fp16 ? streamingEncoderFp16File : streamingEncoderInt8File;
}

std::string_view ParakeetUnified::offlineEncoderFile(UnifiedEncoderPrecision precision) {
    return precision == UnifiedEncoderPrecision::fp16 ? offlineEncoderFp16File : offlineEncoderInt8File;
}

ModelNameSet ParakeetUnified::requiredModels(std::optional<std::string_view> variant) {
    const bool offline = startsWith(variant, "offline");
    const auto precision = endsWith(variant, "fp16") ? UnifiedEncoderPrecision::fp16 : UnifiedEncoderPrecision::int8;
    const auto encoder = offline ? offlineEncoderFile(precision) : streamingEncoderFile(precision);
    return makeModelNameSet({preprocessorFile, encoder, decoderFile, jointDecisionFile, vocab, metadata});
}

const ModelNameSet& CohereTranscribe::requiredModels() {
    static const auto names = makeModelNameSet({encoderCompiledFile, decoderCacheExternalV2CompiledFile, vocab});
    return names;
}

const ModelNameSet& CohereTranscribe::requiredModelsLegacy() {
    static const auto names = makeModelNameSet({encoderCompiledFile, decoderCacheExternalCompiledFile, vocab});
    return names;
}

} // namespace razeziruzer::ModelNames
