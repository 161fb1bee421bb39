#pragma once
// The embedded store behind the dictation history: one SQLite database, in a
// file or in memory, holding the entries under schema version 1.0.0. Every
// change is saved as it is made. Failures throw platform::Error and leave the
// stored entries as they were.

#include "OstrelVirorez/Model/DictationHistoryEntry.hpp"
#include "Platform/Core/Signal.hpp"

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

namespace ostrelvirorez {

class SqliteDatabase;

class DictationHistoryContainer {
public:
    static constexpr const char* schemaVersion = "1.0.0";

    // Opens or creates the store in `file` (making its folder), or one in
    // memory for nullopt. A file that is no database of this schema version
    // is refused and left as it is; a damaged one throws SqliteError.
    // Statements wait up to `busyTimeout` for another connection's lock.
    explicit DictationHistoryContainer(std::optional<std::filesystem::path> file,
                                       std::chrono::milliseconds busyTimeout = std::chrono::milliseconds(2000));
    ~DictationHistoryContainer();
    DictationHistoryContainer(const DictationHistoryContainer&) = delete;
    DictationHistoryContainer& operator=(const DictationHistoryContainer&) = delete;

    // The file, or nullopt when the store lives in memory only.
    const std::optional<std::filesystem::path>& file() const { return file_; }
    bool isStoredInMemoryOnly() const { return !file_; }

    // Stores the entry and returns its new identity.
    std::int64_t insert(const DictationHistoryEntry& entry);
    // Every entry, newest first; entries of the same time in reverse order of insertion.
    std::vector<DictationHistoryEntry> entriesNewestFirst() const;
    void deleteEntry(const DictationHistoryEntry& entry);
    void deleteAll();

    // For a store in memory: opens the store in `file`, adds every entry
    // held here to it in one transaction, and from then on works on the
    // file. Throws, changing nothing, when the file cannot take them.
    void moveToFile(const std::filesystem::path& file);

    // Fires on the changing thread after every insertion or deletion that
    // was saved; views listing the entries read them again.
    platform::Signal<> changed;

private:
    static void prepareSchema(SqliteDatabase& database);

    std::optional<std::filesystem::path> file_;
    std::chrono::milliseconds busyTimeout_;
    std::unique_ptr<SqliteDatabase> database_;
};

} // namespace ostrelvirorez
