#pragma once
// Reading the files of a model bundle. A bundle comes from the network, so a
// name in it, or a symbolic link inside it, must not lead the runtime to read
// a file elsewhere on the machine; and no file is read whole beyond a cap.

#include "Platform/Core/Error.hpp"

#include <cstdint>
#include <filesystem>
#include <string>

namespace platform::coreml::mil {

// A path of a bundle that leads outside its folder.
class BundlePathError : public Error {
public:
    using Error::Error;
};

// `bundle / relative` with every symbolic link resolved. Throws
// BundlePathError when that leaves the bundle folder, however it gets there.
std::filesystem::path resolveInsideBundle(const std::filesystem::path& bundle, const std::filesystem::path& relative);

// The bytes of the regular file `bundle / relative`, resolved as above.
// Throws MLModelError: damagedModel for a file outside the bundle, larger than
// `maxBytes` or not a regular file; io when it cannot be read.
std::string readBundleFile(const std::filesystem::path& bundle, const std::filesystem::path& relative,
                           std::uint64_t maxBytes);

} // namespace platform::coreml::mil
