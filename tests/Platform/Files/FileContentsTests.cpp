#include "Platform/Files/FileContents.hpp"
#include "Platform/Files/FileError.hpp"

#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;
using platform::files::FileError;
using platform::files::FileErrorKind;
using platform::files::readFile;
using platform::files::writeAtomically;

std::vector<std::string> namesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

mode_t modeOf(const fs::path& path) {
    struct stat status {};
    EXPECT_EQ(::stat(path.c_str(), &status), 0);
    return status.st_mode & 07777;
}

FileErrorKind kindOfFailure(const std::function<void()>& action) {
    try {
        action();
    } catch (const FileError& error) {
        return error.kind();
    }
    ADD_FAILURE() << "no FileError thrown";
    return FileErrorKind::ioFailure;
}

TEST(FileContents, WritesAndReplacesBinaryContentsLeavingNoTemporaryFile) {
    const testsupport::TemporaryDirectory folder;
    const auto file = folder / "settings.json";
    std::string bytes(200000, '\0');
    for (std::size_t index = 0; index < bytes.size(); ++index) bytes[index] = static_cast<char>(index * 7);

    writeAtomically(file, "old");
    writeAtomically(file, bytes);

    EXPECT_EQ(readFile(file), bytes);
    EXPECT_EQ(namesIn(folder.path()), std::vector<std::string>{"settings.json"});
}

TEST(FileContents, FailedReplacementLeavesTargetAndFolderAsTheyWere) {
    const testsupport::TemporaryDirectory folder;
    // A non-empty folder in the way makes the final rename fail after the
    // temporary file has been written in full.
    folder.write("target/keep.txt", "user data");

    EXPECT_THROW(writeAtomically(folder / "target", "new contents"), FileError);

    EXPECT_EQ(namesIn(folder.path()), std::vector<std::string>{"target"});
    EXPECT_EQ(folder.read("target/keep.txt"), "user data");
}

TEST(FileContents, WritingIntoAMissingFolderFailsAsNotFound) {
    const testsupport::TemporaryDirectory folder;
    EXPECT_EQ(kindOfFailure([&] { writeAtomically(folder / "missing" / "file", "x"); }), FileErrorKind::notFound);
    EXPECT_FALSE(fs::exists(folder / "missing"));
}

TEST(FileContents, ReadingAMissingFileFailsAsNotFound) {
    const testsupport::TemporaryDirectory folder;
    EXPECT_EQ(kindOfFailure([&] { readFile(folder / "absent"); }), FileErrorKind::notFound);
}

TEST(FileContents, ModeIsGivenOrKeptFromTheReplacedFile) {
    const testsupport::TemporaryDirectory folder;
    const auto secret = folder / "secret";
    writeAtomically(secret, "key", 0600);
    EXPECT_EQ(modeOf(secret), 0600u);

    ::chmod(secret.c_str(), 0640);
    writeAtomically(secret, "other key");
    EXPECT_EQ(modeOf(secret), 0640u);
    EXPECT_EQ(readFile(secret), "other key");
}

} // namespace
