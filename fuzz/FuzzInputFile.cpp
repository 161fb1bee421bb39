#include "fuzz/FuzzInputFile.hpp"

#include <unistd.h>

#include <fstream>
#include <stdexcept>

namespace fuzzing {
namespace {

// Removed with everything in it when the process ends.
class ProcessFolder {
public:
    ProcessFolder() : path_(std::filesystem::temp_directory_path() / ("ostrel-fuzz-" + std::to_string(::getpid()))) {
        std::filesystem::create_directories(path_);
    }
    ~ProcessFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ProcessFolder(const ProcessFolder&) = delete;
    ProcessFolder& operator=(const ProcessFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

} // namespace

std::filesystem::path writeInputFile(const std::uint8_t* data, std::size_t size, const std::string& name) {
    static const ProcessFolder folder;
    const auto path = folder.path() / name;
    std::filesystem::remove_all(path);
    std::ofstream stream(path, std::ios::binary | std::ios::trunc);
    stream.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    if (!stream) throw std::runtime_error("cannot write the fuzz input to " + path.string());
    return path;
}

} // namespace fuzzing
