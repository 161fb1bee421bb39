#include "OstrelVirorez/Model/DictationHistoryContainer.hpp"

#include "OstrelVirorez/Model/SqliteDatabase.hpp"
#include "Platform/Core/Error.hpp"

#include <string>

namespace ostrelvirorez {

namespace {

using Microseconds = std::chrono::microseconds;

std::int64_t storedTime(std::chrono::system_clock::time_point time) {
    return std::chrono::duration_cast<Microseconds>(time.time_since_epoch()).count();
}

std::chrono::system_clock::time_point timeFromStored(std::int64_t micros) {
    return std::chrono::system_clock::time_point(std::chrono::duration_cast<std::chrono::system_clock::duration>(
        Microseconds(micros)));
}

std::unique_ptr<SqliteDatabase> openDatabase(const std::optional<std::filesystem::path>& file,
                                             std::chrono::milliseconds busyTimeout) {
    if (file && file->has_parent_path()) std::filesystem::create_directories(file->parent_path());
    return std::make_unique<SqliteDatabase>(file, busyTimeout);
}

void rollBack(SqliteDatabase& database) {
    try {
        database.execute("ROLLBACK");
    } catch (const platform::Error&) {
        // The first failure is the one worth reporting.
    }
}

void insertInto(SqliteDatabase& database, const DictationHistoryEntry& entry) {
    auto statement = database.prepare(
        "INSERT INTO DictationHistoryEntry (text, timestamp, appName, appBundleIdentifier, mode) "
        "VALUES (?1, ?2, ?3, ?4, ?5)");
    statement.bind(1, std::string_view(entry.text));
    statement.bind(2, storedTime(entry.timestamp));
    statement.bind(3, std::string_view(entry.appName));
    statement.bind(4, entry.appBundleIdentifier);
    statement.bind(5, std::string_view(entry.mode));
    statement.step();
}

} // namespace

DictationHistoryContainer::DictationHistoryContainer(std::optional<std::filesystem::path> file,
                                                     std::chrono::milliseconds busyTimeout)
    : file_(std::move(file)), busyTimeout_(busyTimeout), database_(openDatabase(file_, busyTimeout)) {
    prepareSchema(*database_);
}

DictationHistoryContainer::~DictationHistoryContainer() = default;

void DictationHistoryContainer::prepareSchema(SqliteDatabase& database) {
    database.execute("BEGIN IMMEDIATE");
    try {
        database.execute("CREATE TABLE IF NOT EXISTS schemaInfo (name TEXT PRIMARY KEY, value TEXT NOT NULL)");
        auto select = database.prepare("SELECT value FROM schemaInfo WHERE name = 'version'");
        if (select.step()) {
            const auto version = select.textColumn(0);
            if (version != schemaVersion) {
                throw platform::Error("The dictation history has the unknown schema version " + version);
            }
        } else {
            auto insert = database.prepare("INSERT INTO schemaInfo (name, value) VALUES ('version', ?1)");
            insert.bind(1, std::string_view(schemaVersion));
            insert.step();
        }
        database.execute(
            "CREATE TABLE IF NOT EXISTS DictationHistoryEntry ("
            "persistentID INTEGER PRIMARY KEY AUTOINCREMENT, text TEXT NOT NULL, timestamp INTEGER NOT NULL, appName TEXT NOT NULL, "
            "appBundleIdentifier TEXT, mode TEXT NOT NULL)");
        database.execute("COMMIT");
    } catch (...) {
        rollBack(database);
        throw;
    }
}

std::int64_t DictationHistoryContainer::insert(const DictationHistoryEntry& entry) {
    insertInto(*database_, entry);
    const auto identity = database_->lastInsertRowId();
    changed.emit();
    return identity;
}

std::vector<DictationHistoryEntry> DictationHistoryContainer::entriesNewestFirst() const {
    auto statement = database_->prepare(
        "SELECT persistentID, text, timestamp, appName, appBundleIdentifier, mode FROM DictationHistoryEntry "
        "ORDER BY timestamp DESC, persistentID DESC");
    std::vector<DictationHistoryEntry> entries;
    while (statement.step()) {
        entries.push_back({statement.int64Column(0), statement.textColumn(1), timeFromStored(statement.int64Column(2)),
                           statement.textColumn(3), statement.optionalTextColumn(4), statement.textColumn(5)});
    }
    return entries;
}

void DictationHistoryContainer::deleteEntry(const DictationHistoryEntry& entry) {
    auto statement = database_->prepare("DELETE FROM DictationHistoryEntry WHERE persistentID = ?1");
    statement.bind(1, entry.persistentID);
    statement.step();
    changed.emit();
}

void DictationHistoryContainer::moveToFile(const std::filesystem::path& file) {
    auto entries = entriesNewestFirst();
    auto database = openDatabase(file, busyTimeout_);
    prepareSchema(*database);
    database->execute("BEGIN IMMEDIATE");
    try {
        for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) insertInto(*database, *entry);
        database->execute("COMMIT");
    } catch (...) {
        rollBack(*database);
        throw;
    }
    database_ = std::move(database);
    file_ = file;
    changed.emit();
}

void DictationHistoryContainer::deleteAll() {
    database_->execute("DELETE FROM DictationHistoryEntry");
    changed.emit();
}

} // namespace ostrelvirorez
