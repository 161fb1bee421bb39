#include "PelluxCore/ModelInfo.hpp"

#include <gtest/gtest.h>

namespace pelluxcore {
namespace {

using platform::coreml::MLComputeUnits;

TEST(ModelInfo, DerivesPatternDescriptionAndFolderFromThePresentLevels) {
    struct Case {
        ModelInfo info;
        std::string pattern;
        std::string description;
        std::string folder;
        std::string debug;
    };
    const Case cases[] = {
        {{"v1", "base", "whisper", MLComputeUnits::cpuAndNeuralEngine}, "whisper/v1/base/*", "whisper/v1/base",
         "/m/whisper/v1/base",
         "ModelInfo(name: whisper, version: v1, variant: base, computeUnit: cpuAndNeuralEngine)"},
        {{std::nullopt, "base", "whisper", MLComputeUnits::cpuOnly}, "whisper/*/base/*", "whisper/base",
         "/m/whisper/base", "ModelInfo(name: whisper, version: nil, variant: base, computeUnit: cpuOnly)"},
        {{"v2", std::nullopt, "vad", MLComputeUnits::all}, "vad/v2/*/*", "vad/v2", "/m/vad/v2",
         "ModelInfo(name: vad, version: v2, variant: nil, computeUnit: all)"},
        {{std::nullopt, std::nullopt, "vad", static_cast<MLComputeUnits>(7)}, "vad/*/*/*", "vad", "/m/vad",
         "ModelInfo(name: vad, version: nil, variant: nil, computeUnit: unknown)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pattern);
        EXPECT_EQ(c.info.downloadPattern(), c.pattern);
        EXPECT_EQ(c.info.description(), c.description);
        EXPECT_EQ(c.info.modelURL("/m"), c.folder);
        EXPECT_EQ(c.info.debugDescription(), c.debug);
    }
}

TEST(ModelInfo, FindsTheFolderAboveTheNearestFolderOfItsName) {
    const ModelInfo info{"current", "base", "whisper", MLComputeUnits::all};
    struct Case {
        std::string in;
        std::optional<std::filesystem::path> expected;
    };
    const Case cases[] = {
        {"/data/models/repo/whisper/current/base", "/data/models/repo"},
        {"/data/models/repo/whisper/current/base/", "/data/models/repo"},
        {"/a/whisper/b/whisper/c", "/a/whisper/b"},
        {"/whisper", "/"},
        {"models/repo/whisper/current", "models/repo"},
        {"/data/models/repo/other/current/base", std::nullopt},
        {"whisper", std::nullopt},
        {"/", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.in);
        EXPECT_EQ(info.findBaseFolder(c.in), c.expected);
    }
}

} // namespace
} // namespace pelluxcore
