#include "Platform/CoreML/MIL/BundleFiles.hpp"

#include "Platform/CoreML/MLModelError.hpp"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <system_error>

namespace platform::coreml::mil {
namespace fs = std::filesystem;

namespace {

fs::path resolved(const fs::path& path, const fs::path& bundle) {
    std::error_code error;
    auto real = fs::weakly_canonical(path, error);
    if (error) {
        throw MLModelError(MLModelErrorKind::io, "Cannot resolve " + path.string() + " in the model at " + bundle.string() +
                                                     ": " + error.message());
    }
    return real;
}

bool isWithin(const fs::path& path, const fs::path& folder) {
    const auto [stop, rest] = std::mismatch(folder.begin(), folder.end(), path.begin(), path.end());
    return stop == folder.end() || (std::next(stop) == folder.end() && stop->empty());
}

} // namespace

fs::path resolveInsideBundle(const fs::path& bundle, const fs::path& relative) {
    const auto root = resolved(bundle, bundle);
    auto target = resolved(bundle / relative, bundle);
    if (!isWithin(target, root)) {
        throw BundlePathError(relative.string() + " leads outside the model folder, to " + target.string());
    }
    return target;
}

std::string readBundleFile(const fs::path& bundle, const fs::path& relative, std::uint64_t maxBytes) {
    fs::path path;
    try {
        path = resolveInsideBundle(bundle, relative);
    } catch (const BundlePathError& outside) {
        throw MLModelError::damagedModel(bundle, outside.what());
    }
    std::error_code error;
    if (!fs::is_regular_file(path, error)) {
        throw MLModelError::damagedModel(bundle, relative.string() + " is not a regular file");
    }
    const auto size = fs::file_size(path, error);
    if (error) {
        throw MLModelError(MLModelErrorKind::io, "Cannot read " + path.string());
    }
    if (size > maxBytes) {
        throw MLModelError::damagedModel(bundle, relative.string() + " holds " + std::to_string(size) +
                                                     " bytes, more than the " + std::to_string(maxBytes) + " allowed");
    }
    std::ifstream stream(path, std::ios::binary);
    std::string contents;
    contents.resize(static_cast<std::size_t>(size));
    if (!stream || !stream.read(contents.data(), static_cast<std::streamsize>(size))) {
        throw MLModelError(MLModelErrorKind::io, "Cannot read " + path.string());
    }
    return contents;
}

} // namespace platform::coreml::mil
