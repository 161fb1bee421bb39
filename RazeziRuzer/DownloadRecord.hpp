#pragma once
// What a model folder holds from a verified download: for each file, by its
// path relative to the folder, the size and digest the hub listed for it and
// when it was checked. Kept as ".download-record.json" in the folder. Only
// recorded files may be deleted to be fetched again; a folder without a
// record (placed by hand, or older than records) is never deleted.

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace razeziruzer {

struct RecordedFile {
    std::int64_t size = 0;
    std::optional<std::string> sha256;
    std::optional<std::string> gitBlobId;
    // The file's modification time, in nanoseconds since the epoch, when it
    // was checked; unchanged time and size spare hashing it again.
    std::int64_t checkedModificationTime = 0;
};

class DownloadRecord {
public:
    static constexpr const char* fileName = ".download-record.json";

    // The folder's record; nullopt when there is none or it cannot be read.
    static std::optional<DownloadRecord> read(const std::filesystem::path& folder);

    // Whether `file` has the size and digests listed in `expected` (a file
    // that cannot be read has not).
    static bool matches(const std::filesystem::path& file, const RecordedFile& expected);

    // Records `relativePath` after checking that it matches `listed`; false,
    // recording nothing, when it does not.
    bool addIfMatching(const std::filesystem::path& folder, const std::string& relativePath, RecordedFile listed);
    void forget(const std::string& relativePath) { files_.erase(relativePath); }

    // The recorded files that are missing or no longer match.
    std::vector<std::string> damagedFiles(const std::filesystem::path& folder) const;

    // Replaces the folder's record in one step; throws FileError.
    void write(const std::filesystem::path& folder) const;

    const std::map<std::string, RecordedFile>& files() const { return files_; }

private:
    std::map<std::string, RecordedFile> files_;
};

} // namespace razeziruzer
