#include "Platform/Http/DownloadedFile.hpp"

#include "Platform/Http/HttpError.hpp"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <system_error>
#include <unistd.h>
#include <utility>
#include <vector>

namespace platform {
namespace {

constexpr std::string_view partSuffix = ".part";

[[noreturn]] void fail(const std::string& what, const std::filesystem::path& path, int error)
{
    throw HttpError(HttpErrorKind::other, what + " " + path.string() + ": " + std::strerror(error));
}

} // namespace

DownloadedFile DownloadedFile::create(const std::filesystem::path& folder, std::string_view nameHint)
{
    const auto pattern = (folder / ("." + std::string(nameHint) + "-XXXXXX")).string() + std::string(partSuffix);
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int descriptor = ::mkstemps(name.data(), static_cast<int>(partSuffix.size()));
    if (descriptor < 0)
        fail("could not create a temporary file in", folder, errno);
    return DownloadedFile(std::filesystem::path(name.data()), descriptor);
}

DownloadedFile::DownloadedFile(std::filesystem::path path, int descriptor)
    : path_(std::move(path)), descriptor_(descriptor)
{
}

DownloadedFile::DownloadedFile(DownloadedFile&& other) noexcept
    : path_(std::exchange(other.path_, {})), descriptor_(std::move(other.descriptor_))
{
}

DownloadedFile& DownloadedFile::operator=(DownloadedFile&& other) noexcept
{
    if (this != &other) {
        discard();
        path_ = std::exchange(other.path_, {});
        descriptor_ = std::move(other.descriptor_);
    }
    return *this;
}

DownloadedFile::~DownloadedFile()
{
    discard();
}

void DownloadedFile::write(std::string_view bytes)
{
    while (!bytes.empty()) {
        const auto written = ::write(descriptor_.get(), bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            fail("could not write", path_, errno);
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

void DownloadedFile::close()
{
    if (const int error = descriptor_.close())
        fail("could not write", path_, error);
}

void DownloadedFile::moveTo(const std::filesystem::path& destination)
{
    close();
    std::error_code error;
    std::filesystem::rename(path_, destination, error);
    if (error == std::errc::cross_device_link) {
        error.clear();
        std::filesystem::copy_file(path_, destination, std::filesystem::copy_options::overwrite_existing, error);
        if (!error)
            std::filesystem::remove(path_, error);
    }
    if (error)
        fail("could not move the download to", destination, error.value());
    path_.clear();
}

std::filesystem::path DownloadedFile::release()
{
    close();
    return std::exchange(path_, {});
}

void DownloadedFile::discard() noexcept
{
    descriptor_ = {};
    if (!path_.empty()) {
        std::error_code ignored;
        std::filesystem::remove(std::exchange(path_, {}), ignored);
    }
}

} // namespace platform
