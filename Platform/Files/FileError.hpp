#pragma once
// Failure of a file-system operation: which kind of failure, and a description
// naming the path and the system's reason.

#include "Platform/Core/Error.hpp"

#include <filesystem>
#include <string_view>

namespace platform::files {

enum class FileErrorKind { notFound, accessDenied, alreadyExists, ioFailure };

class FileError : public ErrorOf<FileErrorKind> {
public:
    using ErrorOf::ErrorOf;

    // Builds the error for a failed call from its errno value.
    static FileError fromErrno(int error, std::string_view action, const std::filesystem::path& path);
};

} // namespace platform::files
