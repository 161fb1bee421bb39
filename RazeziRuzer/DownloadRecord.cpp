#include "RazeziRuzer/DownloadRecord.hpp"

#include "Platform/Files/FileContents.hpp"
#include "RazeziRuzer/FileDigest.hpp"

#include <nlohmann/json.hpp>

#include <chrono>

namespace razeziruzer {
namespace {

namespace fs = std::filesystem;
using json = nlohmann::json;

std::optional<std::int64_t> modificationTime(const fs::path& file) {
    std::error_code error;
    const auto time = fs::last_write_time(file, error);
    if (error) return std::nullopt;
    return std::chrono::duration_cast<std::chrono::nanoseconds>(time.time_since_epoch()).count();
}

std::optional<std::string> text(const json& object, const char* key) {
    const auto found = object.find(key);
    if (found == object.end() || !found->is_string()) return std::nullopt;
    return found->get<std::string>();
}

bool digestsMatch(const fs::path& file, const RecordedFile& expected) {
    try {
        if (expected.sha256 && sha256OfFile(file) != *expected.sha256) return false;
        if (expected.gitBlobId && gitBlobIdOfFile(file) != *expected.gitBlobId) return false;
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

bool sizeMatches(const fs::path& file, const RecordedFile& expected) {
    std::error_code error;
    const auto status = fs::status(file, error);
    if (error || !fs::is_regular_file(status)) return false;
    const auto size = fs::file_size(file, error);
    return !error && static_cast<std::int64_t>(size) == expected.size;
}

} // namespace

std::optional<DownloadRecord> DownloadRecord::read(const fs::path& folder) {
    // Only the first three levels are ever looked at, so deeper nesting
    // costs no recursion.
    json document;
    try {
        document = json::parse(platform::files::readFile(folder / fileName), nullptr, false);
    } catch (const std::exception&) {
        return std::nullopt;
    }
    const auto files = document.find("files");
    if (!document.is_object() || files == document.end() || !files->is_object()) return std::nullopt;
    DownloadRecord record;
    for (const auto& [path, entry] : files->items()) {
        const auto size = entry.find("size");
        if (!entry.is_object() || size == entry.end() || !size->is_number_integer()) continue;
        RecordedFile file{size->get<std::int64_t>(), text(entry, "sha256"), text(entry, "gitBlobId"), 0};
        if (const auto checked = entry.find("checked"); checked != entry.end() && checked->is_number_integer()) {
            file.checkedModificationTime = checked->get<std::int64_t>();
        }
        record.files_.emplace(path, std::move(file));
    }
    return record;
}

bool DownloadRecord::matches(const fs::path& file, const RecordedFile& expected) {
    return sizeMatches(file, expected) && digestsMatch(file, expected);
}

bool DownloadRecord::addIfMatching(const fs::path& folder, const std::string& relativePath, RecordedFile listed) {
    const auto file = folder / relativePath;
    if (!matches(file, listed)) return false;
    listed.checkedModificationTime = modificationTime(file).value_or(0);
    files_.insert_or_assign(relativePath, std::move(listed));
    return true;
}

std::vector<std::string> DownloadRecord::damagedFiles(const fs::path& folder) const {
    std::vector<std::string> damaged;
    for (const auto& [path, expected] : files_) {
        const auto file = folder / path;
        if (!sizeMatches(file, expected)) {
            damaged.push_back(path);
        } else if (modificationTime(file) != expected.checkedModificationTime && !digestsMatch(file, expected)) {
            damaged.push_back(path);
        }
    }
    return damaged;
}

void DownloadRecord::write(const fs::path& folder) const {
    auto files = json::object();
    for (const auto& [path, file] : files_) {
        json entry{{"size", file.size}, {"checked", file.checkedModificationTime}};
        if (file.sha256) entry["sha256"] = *file.sha256;
        if (file.gitBlobId) entry["gitBlobId"] = *file.gitBlobId;
        files[path] = std::move(entry);
    }
    platform::files::writeAtomically(folder / fileName, json{{"files", std::move(files)}}.dump(2) + "\n");
}

} // namespace razeziruzer
