#include "RazeziRuzer/Repo.hpp"

#include <array>

namespace razeziruzer {

namespace {

constexpr std::string_view owner = "ZoviriVodovozav/";

struct RepoEntry {
    Repo repo;
    std::string_view rawValue;
    std::string_view subPath;     // empty: none
    std::string_view fixedFolder; // empty: derived from the name
};

// In declaration order, so entries[i].repo == Repo(i).
constexpr std::array<RepoEntry, 32> entries{{
    {Repo::vad, "ZoviriVodovozav/silero-vad-coreml", "", ""},
    {Repo::parakeetV3, "ZoviriVodovozav/parakeet-tdt-0.6b-v3-coreml", "", ""},
    {Repo::parakeetV2, "ZoviriVodovozav/parakeet-tdt-0.6b-v2-coreml", "", ""},
    {Repo::parakeetCtc110m, "ZoviriVodovozav/parakeet-ctc-110m-coreml", "", "parakeet-ctc-110m-coreml"},
    {Repo::parakeetCtc06b, "ZoviriVodovozav/parakeet-ctc-0.6b-coreml", "", "parakeet-ctc-0.6b-coreml"},
    {Repo::senseVoiceSmall, "ZoviriVodovozav/sensevoice-small-coreml", "", ""},
    {Repo::paraformerLargeZh, "ZoviriVodovozav/paraformer-large-zh-coreml", "", ""},
    {Repo::parakeetJa, "ZoviriVodovozav/parakeet-0.6b-ja-coreml", "", "parakeet-ja"},
    {Repo::parakeetEou160, "ZoviriVodovozav/parakeet-realtime-eou-120m-coreml/160ms", "160ms",
     "parakeet-eou-streaming/160ms"},
    {Repo::parakeetEou320, "ZoviriVodovozav/parakeet-realtime-eou-120m-coreml/320ms", "320ms",
     "parakeet-eou-streaming/320ms"},
    {Repo::parakeetEou1280, "ZoviriVodovozav/parakeet-realtime-eou-120m-coreml/1280ms", "1280ms",
     "parakeet-eou-streaming/1280ms"},
    {Repo::nemotronStreaming2240, "ZoviriVodovozav/nemotron-speech-streaming-en-0.6b-coreml/2240ms",
     "nemotron_coreml_2240ms", "nemotron-streaming/2240ms"},
    {Repo::nemotronStreaming1120, "ZoviriVodovozav/nemotron-speech-streaming-en-0.6b-coreml/1120ms",
     "nemotron_coreml_1120ms", "nemotron-streaming/1120ms"},
    {Repo::nemotronStreaming560, "ZoviriVodovozav/nemotron-speech-streaming-en-0.6b-coreml/560ms",
     "nemotron_coreml_560ms", "nemotron-streaming/560ms"},
    {Repo::parakeetUnified, "ZoviriVodovozav/parakeet-unified-en-0.6b-coreml", "", ""},
    {Repo::nemotronMultilingual, "ZoviriVodovozav/Nemotron-3.5-ASR-Streaming-Multilingual-0.6b-CoreML", "",
     "nemotron-multilingual"},
    {Repo::diarizer, "ZoviriVodovozav/speaker-diarization-coreml", "", ""},
    {Repo::kokoro, "ZoviriVodovozav/kokoro-82m-coreml", "", "kokoro"},
    {Repo::kokoroAne, "ZoviriVodovozav/kokoro-82m-coreml/ANE", "ANE", "kokoro-82m-coreml/ANE"},
    {Repo::kokoroAneZh, "ZoviriVodovozav/kokoro-82m-coreml/ANE-zh", "ANE-zh", "kokoro-82m-coreml/ANE-zh"},
    {Repo::kokoroAneJa, "ZoviriVodovozav/kokoro-82m-coreml/ANE-ja", "ANE-ja", "kokoro-82m-coreml/ANE-ja"},
    {Repo::sortformer, "ZoviriVodovozav/diar-streaming-sortformer-coreml", "", "sortformer"},
    {Repo::lseendAmi, "ZoviriVodovozav/ls-eend-coreml/optimized/ami", "optimized/ami", "ls-eend/ami"},
    {Repo::lseendCallHome, "ZoviriVodovozav/ls-eend-coreml/optimized/ch", "optimized/ch", "ls-eend/ch"},
    {Repo::lseendDihard2, "ZoviriVodovozav/ls-eend-coreml/optimized/dih2", "optimized/dih2", "ls-eend/dih2"},
    {Repo::lseendDihard3, "ZoviriVodovozav/ls-eend-coreml/optimized/dih3", "optimized/dih3", "ls-eend/dih3"},
    {Repo::pocketTts, "ZoviriVodovozav/pocket-tts-coreml", "", ""},
    {Repo::multilingualG2p, "ZoviriVodovozav/charsiu-g2p-byt5-coreml", "", ""},
    {Repo::parakeetTdtCtc110m, "ZoviriVodovozav/parakeet-tdt-ctc-110m-coreml", "", "parakeet-tdt-ctc-110m"},
    {Repo::cohereTranscribeCoreml, "ZoviriVodovozav/cohere-transcribe-03-2026-coreml/q8", "q8",
     "cohere-transcribe/q8"},
    {Repo::styletts2, "ZoviriVodovozav/StyleTTS-2-coreml/iteration_3/compiled", "iteration_3/compiled",
     "styletts2"},
    {Repo::supertonic3, "ZoviriVodovozav/supertonic-3-coreml", "", "supertonic-3"},
}};

constexpr bool entriesInDeclarationOrder() {
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (static_cast<std::size_t>(entries[i].repo) != i) return false;
    }
    return true;
}
static_assert(entriesInDeclarationOrder());

constexpr std::array<Repo, entries.size()> cases = [] {
    std::array<Repo, entries.size()> result{};
    for (std::size_t i = 0; i < entries.size(); ++i) result[i] = entries[i].repo;
    return result;
}();

const RepoEntry& entry(Repo repo) {
    return entries.at(static_cast<std::size_t>(repo));
}

std::string withoutCoremlSuffixes(std::string_view text) {
    constexpr std::string_view marker = "-coreml";
    std::string result;
    std::size_t start = 0;
    for (auto found = text.find(marker); found != std::string_view::npos; found = text.find(marker, start)) {
        result.append(text.substr(start, found - start));
        start = found + marker.size();
    }
    result.append(text.substr(start));
    return result;
}

} // namespace

std::string_view rawValue(Repo repo) {
    return entry(repo).rawValue;
}

std::string_view name(Repo repo) {
    return rawValue(repo).substr(owner.size());
}

std::string remotePath(Repo repo) {
    const auto repoName = name(repo);
    return std::string(owner) + std::string(repoName.substr(0, repoName.find('/')));
}

std::optional<std::string_view> subPath(Repo repo) {
    const auto path = entry(repo).subPath;
    if (path.empty()) return std::nullopt;
    return path;
}

std::string folderName(Repo repo) {
    const auto& e = entry(repo);
    if (!e.fixedFolder.empty()) return std::string(e.fixedFolder);
    return withoutCoremlSuffixes(name(repo));
}

template <>
std::optional<Repo> fromRawValue<Repo>(std::string_view raw) {
    for (const auto& e : entries) {
        if (e.rawValue == raw) return e.repo;
    }
    return std::nullopt;
}

template <>
std::span<const Repo> allCases<Repo>() {
    return cases;
}

} // namespace razeziruzer
