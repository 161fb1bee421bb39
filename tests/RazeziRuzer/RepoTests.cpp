#include "RazeziRuzer/Repo.hpp"

#include <gtest/gtest.h>

#include <set>

namespace razeziruzer {
namespace {

TEST(RepoTests, RawValueIsOwnerAndNameAndParsesBackExactly) {
    std::set<std::string_view> seen;
    for (const auto repo : allCases<Repo>()) {
        EXPECT_EQ(rawValue(repo), "ZoviriVodovozav/" + std::string(name(repo)));
        EXPECT_EQ(fromRawValue<Repo>(rawValue(repo)), repo);
        seen.insert(rawValue(repo));
    }
    EXPECT_EQ(allCases<Repo>().size(), 32u);
    EXPECT_EQ(seen.size(), 32u);
    EXPECT_EQ(allCases<Repo>().front(), Repo::vad);
    EXPECT_EQ(allCases<Repo>().back(), Repo::supertonic3);
}

TEST(RepoTests, OnlyTheExactRawValueNamesARepository) {
    EXPECT_EQ(fromRawValue<Repo>("ZoviriVodovozav/parakeet-tdt-0.6b-v3-coreml"), Repo::parakeetV3);
    for (const auto* wrong : {"parakeet-tdt-0.6b-v3-coreml", "ZoviriVodovozav/Parakeet-tdt-0.6b-v3-coreml",
                              "ZoviriVodovozav/parakeet-tdt-0.6b-v3-coreml/", ""}) {
        EXPECT_FALSE(fromRawValue<Repo>(wrong)) << wrong;
    }
}

TEST(RepoTests, RemotePathIsTheHubRepositoryWithoutTheSubPath) {
    for (const auto repo : allCases<Repo>()) {
        if (!subPath(repo)) {
            EXPECT_EQ(remotePath(repo), rawValue(repo));
        }
    }
    EXPECT_EQ(remotePath(Repo::parakeetEou160), "ZoviriVodovozav/parakeet-realtime-eou-120m-coreml");
    EXPECT_EQ(remotePath(Repo::kokoroAne), "ZoviriVodovozav/kokoro-82m-coreml");
    EXPECT_EQ(remotePath(Repo::styletts2), "ZoviriVodovozav/StyleTTS-2-coreml");
    EXPECT_EQ(remotePath(Repo::nemotronMultilingual),
              "ZoviriVodovozav/Nemotron-3.5-ASR-Streaming-Multilingual-0.6b-CoreML");
}

TEST(RepoTests, SubPathsAndFolders) {
    struct Case {
        Repo repo;
        std::optional<std::string_view> subPath;
        std::string folder;
    };
    const Case cases[] = {
        {Repo::vad, std::nullopt, "silero-vad"},
        {Repo::parakeetV3, std::nullopt, "parakeet-tdt-0.6b-v3"},
        {Repo::parakeetCtc06b, std::nullopt, "parakeet-ctc-0.6b-coreml"},
        {Repo::parakeetTdtCtc110m, std::nullopt, "parakeet-tdt-ctc-110m"},
        {Repo::parakeetEou160, "160ms", "parakeet-eou-streaming/160ms"},
        {Repo::nemotronStreaming1120, "nemotron_coreml_1120ms", "nemotron-streaming/1120ms"},
        {Repo::parakeetUnified, std::nullopt, "parakeet-unified-en-0.6b"},
        {Repo::nemotronMultilingual, std::nullopt, "nemotron-multilingual"},
        {Repo::diarizer, std::nullopt, "speaker-diarization"},
        {Repo::kokoroAneZh, "ANE-zh", "kokoro-82m-coreml/ANE-zh"},
        {Repo::lseendDihard2, "optimized/dih2", "ls-eend/dih2"},
        {Repo::pocketTts, std::nullopt, "pocket-tts"},
        {Repo::multilingualG2p, std::nullopt, "charsiu-g2p-byt5"},
        {Repo::cohereTranscribeCoreml, "q8", "cohere-transcribe/q8"},
        {Repo::styletts2, "iteration_3/compiled", "styletts2"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(subPath(c.repo), c.subPath) << rawValue(c.repo);
        EXPECT_EQ(folderName(c.repo), c.folder) << rawValue(c.repo);
    }
}

} // namespace
} // namespace razeziruzer
