#include "RazeziRuzer/RepoFileSelection.hpp"

#include <gtest/gtest.h>

namespace razeziruzer::DownloadUtils {
namespace {

struct Case {
    std::string path;
    bool expected;
};

TEST(RepoFileSelectionTests, WithoutSubPathOnlyTheWayToRequiredBundlesIsListed) {
    const RepoFileSelection selection(std::nullopt, makeModelNameSet({"Encoder.mlmodelc", "nested/Decoder.mlmodelc"}));
    EXPECT_EQ(selection.prefixes(), (std::vector<std::string>{"Encoder.mlmodelc/", "nested/Decoder.mlmodelc/"}));
    for (const auto& c : {Case{"Encoder.mlmodelc", true}, Case{"Encoder.mlmodelc/weights", true}, Case{"nested", true},
                          Case{"nested/Decoder.mlmodelc", true}, Case{"nested/Other.mlmodelc", false},
                          Case{"Encoder", false}, Case{"Other.mlmodelc", false}}) {
        EXPECT_EQ(selection.shouldDescend(c.path), c.expected) << c.path;
    }
    for (const auto& c : {Case{"Encoder.mlmodelc/coremldata.bin", true}, Case{"config.json", true},
                          Case{"notes/readme.txt", true}, Case{"Other.mlmodelc/coremldata.bin", false},
                          Case{"weights.bin", false}, Case{"Encoder.mlmodelc", false}}) {
        EXPECT_EQ(selection.shouldSelect(c.path), c.expected) << c.path;
    }
    EXPECT_EQ(selection.localPath("Encoder.mlmodelc/coremldata.bin"), "Encoder.mlmodelc/coremldata.bin");
}

TEST(RepoFileSelectionTests, AnEmptyRequiredSetTakesTheWholeRepository) {
    const RepoFileSelection selection(std::nullopt, {});
    EXPECT_TRUE(selection.shouldDescend("anything/below"));
    EXPECT_TRUE(selection.shouldSelect("anything/below/file.dat"));
}

TEST(RepoFileSelectionTests, WithSubPathEverythingBelowItIsListedAndKnownFilesAreTaken) {
    const RepoFileSelection selection(std::string("160ms"), makeModelNameSet({"decoder.mlmodelc", "vocab.json"}));
    EXPECT_EQ(selection.prefixes(), (std::vector<std::string>{"160ms/decoder.mlmodelc/", "160ms/vocab.json/"}));
    for (const auto& c : {Case{"160ms", true}, Case{"160ms/extra", true}, Case{"320ms", false},
                          Case{"160msx", false}}) {
        EXPECT_EQ(selection.shouldDescend(c.path), c.expected) << c.path;
    }
    for (const auto& c : {Case{"160ms/decoder.mlmodelc/model.mil", true}, Case{"160ms/vocab.json", true},
                          Case{"160ms/tokenizer.model", true}, Case{"160ms/extra/weights.bin", true},
                          Case{"160ms/readme.txt", false}, Case{"vocab.json", false},
                          Case{"320ms/decoder.mlmodelc/model.mil", false}}) {
        EXPECT_EQ(selection.shouldSelect(c.path), c.expected) << c.path;
    }
    EXPECT_EQ(selection.localPath("160ms/decoder.mlmodelc/model.mil"), "decoder.mlmodelc/model.mil");
    EXPECT_EQ(selection.localPath("vocab.json"), "vocab.json");
}

} // namespace
} // namespace razeziruzer::DownloadUtils
