// Where a multilingual variant lives: its language family, the folder it is
// downloaded to (without ".mlpackage" files), and the cached folder that is
// used without asking the hub.

#include "RazeziRuzer/ASR/Parakeet/ASRError.hpp"
#include "RazeziRuzer/ASR/Parakeet/Streaming/Nemotron/NemotronMultilingualVariant.hpp"
#include "tests/RazeziRuzer/Download/HubFixture.hpp"

#include <fstream>

namespace razeziruzer {
namespace {

using downloadtest::directoryEntry;
using downloadtest::fileEntry;
using downloadtest::HubFixture;

const std::string remote = "ZoviriVodovozav/Nemotron-3.5-ASR-Streaming-Multilingual-0.6b-CoreML";

TEST(NemotronMultilingualVariant, LatinScriptLanguagesShareOneFamily) {
    for (const auto& [code, family] : std::vector<std::pair<std::string, std::string>>{
             {"DE", "latin"}, {"pt", "latin"}, {"en", "latin"}, {"pt-BR", "multilingual"}, {"ja", "multilingual"},
             {"", "multilingual"}}) {
        EXPECT_EQ(NemotronMultilingualVariant::languageDirectory(code), family) << code;
    }
}

class NemotronMultilingualVariantDownload : public HubFixture {};

TEST_F(NemotronMultilingualVariantDownload, DownloadsTheVariantFolderWithoutPackages) {
    serveListing(remote, "tree/main/latin/1120ms",
                 nlohmann::json::array({fileEntry("latin/1120ms/metadata.json", 2),
                                        directoryEntry("latin/1120ms/encoder.mlmodelc"),
                                        directoryEntry("latin/1120ms/encoder.mlpackage")}));
    serveListing(remote, "tree/main/latin/1120ms/encoder.mlmodelc",
                 nlohmann::json::array({fileEntry("latin/1120ms/encoder.mlmodelc/coremldata.bin", 1)}));
    serveFile(remote, "latin/1120ms/metadata.json", "{}");
    serveFile(remote, "latin/1120ms/encoder.mlmodelc/coremldata.bin", "x");
    std::vector<DownloadUtils::DownloadProgress> progress;
    const auto variant = NemotronMultilingualVariant::download(
        "fr", 1120, folder.path() / "models", [&](const auto& p) { progress.push_back(p); });
    EXPECT_EQ(variant, folder.path() / "models" / "nemotron-multilingual" / "latin" / "1120ms");
    EXPECT_TRUE(std::filesystem::exists(variant / "metadata.json"));
    EXPECT_TRUE(std::filesystem::exists(variant / "encoder.mlmodelc" / "coremldata.bin"));
    EXPECT_FALSE(std::filesystem::exists(variant / "encoder.mlpackage"));
    for (const auto& path : requestedPaths()) EXPECT_EQ(path.find(".mlpackage"), std::string::npos) << path;
    EXPECT_FALSE(progress.empty());
}

TEST_F(NemotronMultilingualVariantDownload, ACachedVariantIsUsedWithoutTheHubEvenWhenModelsAreMissing) {
    const auto variant = folder.path() / "models" / "nemotron-multilingual" / "multilingual" / "560ms";
    std::filesystem::create_directories(variant);
    std::ofstream(variant / "metadata.json") << "{}";
    int progressCalls = 0;
    EXPECT_EQ(NemotronMultilingualVariant::download("ja", 560, folder.path() / "models",
                                                    [&](const auto&) { ++progressCalls; }),
              variant);
    EXPECT_EQ(progressCalls, 0);
    EXPECT_TRUE(requestedPaths().empty());
    // Loading then needs the neural engine; without it the files stay and the load is refused.
    try {
        NemotronMultilingualVariant::downloadAndPreloadShared("ja", 560, folder.path() / "models", std::nullopt, {},
                                                              [] { return false; });
        ADD_FAILURE() << "loaded without the neural engine";
    } catch (const ASRError& error) {
        EXPECT_EQ(error.message(), "Nemotron multilingual int8 streaming models require Apple Silicon (ANE).");
    }
    EXPECT_TRUE(std::filesystem::exists(variant / "metadata.json"));
}

} // namespace
} // namespace razeziruzer
