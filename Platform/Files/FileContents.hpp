#pragma once
// Reading a whole file, and replacing a file's contents atomically: readers
// see either the old contents or the new, never a partial file.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace platform::files {

// The whole contents of a regular file; throws FileError.
std::string readFile(const std::filesystem::path& path);

// Writes to a temporary file in the same folder, flushes it to disk and
// renames it over `path`; the temporary file is removed when any step fails.
// The new file takes `mode` when given, else the mode of the file it
// replaces, else the usual mode for new files (0666 less the umask).
// Throws FileError; `path` is then untouched.
void writeAtomically(const std::filesystem::path& path, std::string_view bytes,
                     std::optional<mode_t> mode = std::nullopt);

// Flushes a folder's entries (a rename or a new name in it) to disk, as far
// as the file system allows; false when it could not.
bool syncFolder(const std::filesystem::path& folder) noexcept;

// A name for a temporary sibling of `path` that no other writer picks.
std::filesystem::path temporarySibling(const std::filesystem::path& path);

} // namespace platform::files
