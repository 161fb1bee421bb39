#pragma once
// A temporary file receiving a download. It is removed when the object goes
// away unless the owner has moved it into place or released it, so failed
// and cancelled transfers leave nothing behind.

#include "Platform/Files/FileDescriptor.hpp"

#include <filesystem>
#include <string_view>

namespace platform {

class DownloadedFile {
public:
    // Creates an empty, uniquely named file in folder whose name starts
    // with ".<nameHint>".
    static DownloadedFile create(const std::filesystem::path& folder, std::string_view nameHint);

    DownloadedFile(DownloadedFile&& other) noexcept;
    DownloadedFile& operator=(DownloadedFile&& other) noexcept;
    DownloadedFile(const DownloadedFile&) = delete;
    DownloadedFile& operator=(const DownloadedFile&) = delete;
    ~DownloadedFile();

    const std::filesystem::path& path() const { return path_; }

    void write(std::string_view bytes);
    // Flushes and closes the file; writing ends here.
    void close();
    // Renames the file to destination, replacing what is there (copying
    // when the two are on different file systems). The file is then no
    // longer removed.
    void moveTo(const std::filesystem::path& destination);
    // Hands the file over to the caller, who becomes responsible for it.
    std::filesystem::path release();

private:
    DownloadedFile(std::filesystem::path path, int descriptor);
    void discard() noexcept;

    std::filesystem::path path_;
    files::FileDescriptor descriptor_;
};

} // namespace platform
