#pragma once
// A fresh folder for one test, removed with everything in it when the test ends.

#include <filesystem>
#include <string>

namespace testsupport {

class TemporaryDirectory {
public:
    TemporaryDirectory();
    ~TemporaryDirectory();
    TemporaryDirectory(const TemporaryDirectory&) = delete;
    TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

    // Writes text to a file below the folder, creating parent folders.
    std::filesystem::path write(const std::string& relative, const std::string& contents) const;
    std::string read(const std::string& relative) const;

private:
    std::filesystem::path path_;
};

} // namespace testsupport
