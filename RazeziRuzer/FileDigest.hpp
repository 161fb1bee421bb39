#pragma once
// The digests a hub listing gives for its files, in lower-case hexadecimal:
// SHA-256 of the content for large-file-storage files, and the git blob id
// (SHA-1 of "blob <size>", a NUL byte and the content) for the others.

#include <filesystem>
#include <string>
#include <string_view>

namespace razeziruzer {

std::string sha256Hex(std::string_view bytes);
std::string gitBlobIdHex(std::string_view bytes);

// The same over a file's content, read in blocks. Throw
// platform::files::FileError when the file cannot be read.
std::string sha256OfFile(const std::filesystem::path& file);
std::string gitBlobIdOfFile(const std::filesystem::path& file);

} // namespace razeziruzer
