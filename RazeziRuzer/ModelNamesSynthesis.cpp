#include "RazeziRuzer/ModelNamesSynthesis.hpp"

namespace razeziruzer::ModelNames {

namespace {

ModelNameSet united(const ModelNameSet& first, std::initializer_list<std::string_view> more) {
    auto result = first;
    for (const auto name : more) result.emplace(name);
    return result;
}

} // namespace

std::string_view PocketTTS::flowlmStepFile() {
    return "flowlm_step.mlmodelc";
}

std::string_view PocketTTS::flowlmStepFile(PocketTtsPrecision precision) {
    return precision == PocketTtsPrecision::int8 ? flowlmStepV2File : flowlmStepFile();
}

const ModelNameSet& PocketTTS::requiredModels() {
    static const auto names =
        makeModelNameSet({condPrefillFile, flowlmStepFile(), flowDecoderFusedFile, mimiDecoderFile, constantsBinDir});
    return names;
}

ModelNameSet PocketTTS::requiredModels(PocketTtsPrecision precision) {
    return requiredModels(precision, PocketTtsModelPlacement::gpu);
}

ModelNameSet PocketTTS::requiredModels(PocketTtsPrecision precision, PocketTtsModelPlacement placement) {
    switch (placement) {
    case PocketTtsModelPlacement::ane:
        return makeModelNameSet(
            {condPrefillAneFile, flowlmStepAneFile, flowDecoderFusedFile, mimiDecoderFile, constantsBinDir});
    case PocketTtsModelPlacement::aneState:
        return makeModelNameSet({pocketStateFile, mimiDecoderFile, constantsBinDir});
    case PocketTtsModelPlacement::gpu:
        break;
    }
    return makeModelNameSet(
        {condPrefillFile, flowlmStepFile(precision), flowDecoderFusedFile, mimiDecoderFile, constantsBinDir});
}

const ModelNameSet& StyleTTS2::requiredModels() {
    static const auto names =
        makeModelNameSet({textEncoderFile, bertFile, refEncoderFile, fusedDiffusionSamplerFile, durationPredictorFile,
                          fusedF0nHarSourceFile, decoderPreFile, decoderUpsampleFile});
    return names;
}

const ModelNameSet& StyleTTS2::allModels() {
    static const auto names =
        united(requiredModels(), {bertT64File, bertT128File, bertT256File, fusedDiffusionSamplerT64File,
                                  fusedDiffusionSamplerT128File, fusedDiffusionSamplerT256File});
    return names;
}

ModelNameSet StyleTTS2::bucketModels(int forT) {
    switch (forT) {
    case 64: return makeModelNameSet({bertT64File, fusedDiffusionSamplerT64File});
    case 128: return makeModelNameSet({bertT128File, fusedDiffusionSamplerT128File});
    case 256: return makeModelNameSet({bertT256File, fusedDiffusionSamplerT256File});
    default: return {};
    }
}

const ModelNameSet& Supertonic3::requiredModels() {
    static const auto names =
        makeModelNameSet({textEncoderFile, durationPredictorFile, vectorEstimatorFile(), vocoderFile});
    return names;
}

const ModelNameSet& Supertonic3::requiredFiles() {
    static const auto names = united(requiredModels(), {configFile, unicodeIndexerFile});
    return names;
}

const ModelNameSet& Supertonic3::sharedModelFiles() {
    static const auto names = makeModelNameSet({textEncoderFile, durationPredictorFile, vocoderFile});
    return names;
}

const ModelNameSet& Supertonic3::companionFiles() {
    static const auto names = makeModelNameSet({configFile, unicodeIndexerFile});
    return names;
}

std::string Supertonic3::vectorEstimatorName(std::optional<std::string_view> precisionSuffix,
                                             std::optional<int> bucket) {
    std::string result(vectorEstimator);
    if (bucket) result += "_L" + std::to_string(*bucket);
    if (precisionSuffix) {
        result += '_';
        result += *precisionSuffix;
    }
    return result;
}

std::string Supertonic3::vectorEstimatorFile(std::optional<std::string_view> precisionSuffix,
                                             std::optional<int> bucket) {
    if (!precisionSuffix && !bucket) return std::string(vectorEstimator) + ".mlmodelc";
    return std::string(variantsSubdir) + "/" + vectorEstimatorName(precisionSuffix, bucket) + ".mlmodelc";
}

ModelNameSet Supertonic3::requiredFiles(std::optional<std::string_view> veVariant) {
    auto result = united(sharedModelFiles(), {configFile, unicodeIndexerFile});
    constexpr std::string_view dynamicPrefix = "dyn-";
    constexpr std::string_view anePrefix = "ane-";
    if (veVariant && veVariant->starts_with(dynamicPrefix)) {
        result.insert(vectorEstimatorFile(veVariant->substr(dynamicPrefix.size()), std::nullopt));
    } else if (veVariant && veVariant->starts_with(anePrefix)) {
        for (const int bucket : aneBuckets) result.insert(vectorEstimatorFile(veVariant->substr(anePrefix.size()), bucket));
    } else {
        result.insert(vectorEstimatorFile());
    }
    return result;
}

const ModelNameSet& G2P::requiredModels() {
    static const auto names = makeModelNameSet({encoderFile, decoderFile, vocabularyFile});
    return names;
}

const ModelNameSet& MultilingualG2P::requiredModels() {
    static const auto names = makeModelNameSet({encoderFile, decoderFile});
    return names;
}

const ModelNameSet& KokoroAne::requiredCoreMLModels() {
    static const auto names = makeModelNameSet({albert, postAlbert, alignment, prosody, noise, vocoder, tail});
    return names;
}

const ModelNameSet& KokoroAne::requiredModels() {
    static const auto names = united(requiredCoreMLModels(), {vocab, defaultVoiceFile});
    return names;
}

const ModelNameSet& KokoroAne::requiredModelsZh() {
    static const auto names = united(requiredCoreMLModels(), {vocab, defaultVoiceFileZh, g2pwModelZh});
    return names;
}

const ModelNameSet& KokoroAne::requiredModelsJa() {
    static const auto names = united(requiredCoreMLModels(), {vocab, defaultVoiceFileJa});
    return names;
}

} // namespace razeziruzer::ModelNames
