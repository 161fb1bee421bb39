#include "RazeziRuzer/Diarizer/Offline/Core/OfflineEmbeddingExport.hpp"

#include "Platform/Core/Logger.hpp"
#include "RazeziRuzer/Diarizer/Offline/Core/OfflineDiarizationError.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>

#include <limits>

namespace razeziruzer {
namespace {

TimedEmbedding sample(std::int64_t chunk) {
    TimedEmbedding e;
    e.chunkIndex = chunk;
    e.speakerIndex = 1;
    e.startFrame = 3;
    e.endFrame = 9;
    e.frameWeights = {1.0f};
    e.startTime = 0.5;
    e.endTime = 1.25;
    e.embedding256 = {0.1f, -2.0f};
    e.rho128 = {0.25};
    return e;
}

TEST(OfflineEmbeddingExportTests, WritesCompactObjectsInFieldOrder) {
    platform::ScopedLogCapture capture;
    testsupport::TemporaryDirectory folder;
    const auto path = (folder / "embeddings.json").string();
    folder.write("embeddings.json", "old contents that are longer than the new ones ...............................");
    OfflineEmbeddingExport::exportEmbeddings({sample(0), sample(4)}, {2}, path, AppLogger("OfflineDiarizer"));
    const std::string object = R"("speakerIndex":1,"startFrame":3,"endFrame":9,"startTime":0.5,"endTime":1.25,)"
                               R"("embedding256":[0.1,-2.0],"rho128":[0.25],)";
    EXPECT_EQ(folder.read("embeddings.json"), "[{\"chunkIndex\":0," + object + "\"cluster\":2},{\"chunkIndex\":4," +
                                                  object + "\"cluster\":-1}]");
    EXPECT_TRUE(capture.contains("Exported 2 embeddings to " + path));
}

TEST(OfflineEmbeddingExportTests, AnEmptyListIsAnEmptyArray) {
    testsupport::TemporaryDirectory folder;
    const auto path = (folder / "e.json").string();
    OfflineEmbeddingExport::exportEmbeddings({}, {}, path, AppLogger("OfflineDiarizer"));
    EXPECT_EQ(folder.read("e.json"), "[]");
}

TEST(OfflineEmbeddingExportTests, FailuresAreReported) {
    testsupport::TemporaryDirectory folder;
    auto broken = sample(0);
    broken.embedding256[1] = std::numeric_limits<float>::quiet_NaN();
    const AppLogger logger("OfflineDiarizer");
    try {
        OfflineEmbeddingExport::exportEmbeddings({sample(0), broken}, {0, 0}, (folder / "n.json").string(), logger);
        FAIL() << "no error";
    } catch (const OfflineDiarizationError& error) {
        EXPECT_EQ(error.kind(), OfflineDiarizationErrorKind::exportFailed);
        EXPECT_EQ(error.message(), "embedding 1 holds a value JSON cannot represent");
    }
    EXPECT_FALSE(std::filesystem::exists(folder / "n.json"));
    EXPECT_THROW(OfflineEmbeddingExport::exportEmbeddings({sample(0)}, {0}, (folder / "missing/e.json").string(), logger),
                 OfflineDiarizationError);
}

} // namespace
} // namespace razeziruzer
