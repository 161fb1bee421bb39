#include "RazeziRuzer/ModelNames.hpp"

namespace razeziruzer::ModelNames {

namespace {

ModelNameSet styleTts2Models(std::optional<std::string_view> variant) {
    if (variant == "all") return StyleTTS2::allModels();
    if (variant == "t64") return StyleTTS2::bucketModels(64);
    if (variant == "t128") return StyleTTS2::bucketModels(128);
    if (variant == "t256") return StyleTTS2::bucketModels(256);
    return StyleTTS2::requiredModels();
}

} // namespace

const ModelNameSet& nemotronMultilingualRequiredModels() {
    namespace N = NemotronMultilingualStreaming;
    static const auto names =
        makeModelNameSet({N::preprocessorFile, N::encoderFile, N::decoderFile, N::jointFile, "decoder_joint.mlmodelc",
                          "decoder_joint_noencproj.mlmodelc", "joint_noencproj_batched.mlmodelc"});
    return names;
}

ModelNameSet getRequiredModelNames(Repo repo, std::optional<std::string_view> variant) {
    switch (repo) {
    case Repo::vad: return VAD::requiredModels();
    case Repo::parakeetV3:
        return ASR::requiredModelsV3(variant == "int4" ? ParakeetEncoderPrecision::int4
                                                       : ParakeetEncoderPrecision::int8);
    case Repo::parakeetV2: return ASR::requiredModels();
    case Repo::parakeetCtc110m:
    case Repo::parakeetCtc06b: return CTC::requiredModels();
    case Repo::senseVoiceSmall: return SenseVoice::requiredModels(variant);
    case Repo::paraformerLargeZh: return ParaformerZh::requiredModels();
    case Repo::parakeetJa: return TDTJa::requiredModels();
    case Repo::parakeetEou160:
    case Repo::parakeetEou320:
    case Repo::parakeetEou1280: return ParakeetEOU::requiredModels();
    case Repo::nemotronStreaming2240:
    case Repo::nemotronStreaming1120:
    case Repo::nemotronStreaming560: return NemotronStreaming::requiredModels();
    case Repo::parakeetUnified: return ParakeetUnified::requiredModels(variant);
    case Repo::nemotronMultilingual: return nemotronMultilingualRequiredModels();
    case Repo::diarizer:
        return variant == "offline" ? OfflineDiarizer::requiredModels() : Diarizer::requiredModels();
    case Repo::kokoro: return G2P::requiredModels();
    case Repo::kokoroAne: return KokoroAne::requiredModels();
    case Repo::kokoroAneZh: return KokoroAne::requiredModelsZh();
    case Repo::kokoroAneJa: return KokoroAne::requiredModelsJa();
    case Repo::sortformer:
        if (variant) return makeModelNameSet({*variant});
        return Sortformer::requiredModels();
    case Repo::lseendAmi:
    case Repo::lseendCallHome:
    case Repo::lseendDihard2:
    case Repo::lseendDihard3:
        if (variant) return {std::string(*variant) + ".mlmodelc"};
        return LSEEND::requiredModels();
    case Repo::pocketTts: return PocketTTS::requiredModels();
    case Repo::multilingualG2p: return MultilingualG2P::requiredModels();
    case Repo::parakeetTdtCtc110m: return ASR::requiredModelsFused();
    case Repo::cohereTranscribeCoreml: return CohereTranscribe::requiredModels();
    case Repo::styletts2: return styleTts2Models(variant);
    case Repo::supertonic3: return Supertonic3::requiredFiles(variant);
    }
    return {};
}

} // namespace razeziruzer::ModelNames
