#include "OstrelVirorez/Model/SqliteDatabase.hpp"

#include "OstrelVirorez/Model/SqliteError.hpp"

#include <sqlite3.h>

#include <string>

namespace ostrelvirorez {

void SqliteDatabase::Closer::operator()(sqlite3* database) const {
    sqlite3_close_v2(database);
}

SqliteDatabase::SqliteDatabase(const std::optional<std::filesystem::path>& file,
                               std::chrono::milliseconds busyTimeout) {
    const std::string name = file ? file->string() : ":memory:";
    sqlite3* database = nullptr;
    const int result =
        sqlite3_open_v2(name.c_str(), &database, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                        nullptr);
    database_.reset(database);
    if (result != SQLITE_OK) {
        throw SqliteError(result, database ? sqlite3_errmsg(database) : sqlite3_errstr(result));
    }
    sqlite3_busy_timeout(database, static_cast<int>(busyTimeout.count()));
}

void SqliteDatabase::execute(std::string_view sql) {
    char* message = nullptr;
    const int result = sqlite3_exec(database_.get(), std::string(sql).c_str(), nullptr, nullptr, &message);
    if (result == SQLITE_OK) return;
    const std::string text = message ? message : sqlite3_errstr(result);
    sqlite3_free(message);
    throw SqliteError(result, text);
}

SqliteStatement SqliteDatabase::prepare(std::string_view sql) {
    return SqliteStatement(database_.get(), sql);
}

std::int64_t SqliteDatabase::lastInsertRowId() const {
    return sqlite3_last_insert_rowid(database_.get());
}

} // namespace ostrelvirorez
