#include "Platform/Files/FileMove.hpp"
#include "Platform/Files/FileError.hpp"

#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;
using platform::files::copyThenRemove;
using platform::files::FileError;
using platform::files::FileErrorKind;
using platform::files::moveItem;

std::size_t entryCount(const fs::path& folder) {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

// Both ways of moving must give the same result; the copy fallback is what a
// move across file systems takes.
using MoveFunction = void (*)(const fs::path&, const fs::path&);

class FileMove : public ::testing::TestWithParam<MoveFunction> {};

TEST_P(FileMove, MovesAFileReplacingTheTarget) {
    const testsupport::TemporaryDirectory folder;
    folder.write("from/model.bin", "weights");
    folder.write("to/model.bin", "stale");

    GetParam()(folder / "from/model.bin", folder / "to/model.bin");

    EXPECT_EQ(folder.read("to/model.bin"), "weights");
    EXPECT_FALSE(fs::exists(folder / "from/model.bin"));
    EXPECT_EQ(entryCount(folder / "to"), 1u);
}

TEST_P(FileMove, MovesAFolderWithNestedContents) {
    const testsupport::TemporaryDirectory folder;
    folder.write("cache/model/weights/0.bin", "zero");
    folder.write("cache/model/config.json", "{}");
    fs::create_directories(folder / "models");

    GetParam()(folder / "cache/model", folder / "models/model");

    EXPECT_EQ(folder.read("models/model/weights/0.bin"), "zero");
    EXPECT_EQ(folder.read("models/model/config.json"), "{}");
    EXPECT_FALSE(fs::exists(folder / "cache/model"));
    EXPECT_EQ(entryCount(folder / "models"), 1u);
}

TEST_P(FileMove, MissingSourceFailsAndChangesNothing) {
    const testsupport::TemporaryDirectory folder;
    folder.write("to/keep", "kept");
    try {
        GetParam()(folder / "absent", folder / "to/keep");
        FAIL() << "moving a missing item succeeded";
    } catch (const FileError& error) {
        EXPECT_EQ(error.kind(), FileErrorKind::notFound);
    }
    EXPECT_EQ(folder.read("to/keep"), "kept");
    EXPECT_EQ(entryCount(folder / "to"), 1u);
}

TEST_P(FileMove, RefusesToReplaceANonEmptyFolderAndKeepsBothSides) {
    const testsupport::TemporaryDirectory folder;
    folder.write("from/new/file", "new");
    folder.write("to/existing/file", "old");

    EXPECT_THROW(GetParam()(folder / "from/new", folder / "to/existing"), FileError);

    EXPECT_EQ(folder.read("from/new/file"), "new");
    EXPECT_EQ(folder.read("to/existing/file"), "old");
    EXPECT_EQ(entryCount(folder / "to"), 1u);
}

INSTANTIATE_TEST_SUITE_P(RenameAndCopy, FileMove, ::testing::Values(&moveItem, &copyThenRemove),
                         [](const auto& info) { return info.index == 0 ? "Rename" : "CopyThenRemove"; });

} // namespace
