#pragma once
// Moving a file or folder to a new path, also across file systems.

#include <filesystem>

namespace platform::files {

// Renames `from` to `to` (replacing a file or empty folder there, as rename
// does); when the two lie on different file systems, falls back to
// copyThenRemove. Throws FileError.
void moveItem(const std::filesystem::path& from, const std::filesystem::path& to);

// The cross-file-system move: copies `from` to a temporary sibling of `to`,
// flushes it, renames it into place and only then removes `from`. When the
// copy fails, `to` and `from` are as before and the partial copy is removed.
void copyThenRemove(const std::filesystem::path& from, const std::filesystem::path& to);

// Renames a damaged `file` to "<file>.damaged-<UTC time>" (with "-2", "-3", …
// when that name is taken; nothing is ever replaced) so that a new file can
// take its place and nothing of the old one is lost. Returns the new path;
// throws std::system_error or std::filesystem::filesystem_error.
std::filesystem::path keepDamagedAside(const std::filesystem::path& file);

} // namespace platform::files
